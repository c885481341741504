// The tray icon's mouse handling, driven through the in-process notification
// area: the click rule with and without a double-click handler, the pop-up
// menu and its default item, Enabled, balloon codes, the two notification
// schemes, and the pointer entering and leaving.

#include "platform/test_tray_shell.h"
#include "tests/tray/tray_fixture.h"
#include "tray/tray_icon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTest>

#include <memory>

namespace kestrune::test {

namespace code = platform::TrayCode;
using Log = std::vector<std::string>;

class TrayClickTest : public QObject {
    Q_OBJECT

private:
    static constexpr int DoubleClickMs = 50;

    std::unique_ptr<platform::TestTrayShell> shell;
    std::unique_ptr<TComponent> owner;
    TTrayIcon* icon = nullptr;
    TrayLog log;

    void Send(std::initializer_list<std::uint32_t> Codes) {
        for (const std::uint32_t code : Codes) {
            QVERIFY(shell->Notify(icon->Id(), code));
        }
    }

    // Lets the double-click time pass with room to spare.
    static void PastTheDoubleClickTime() { QTest::qWait(DoubleClickMs * 6); }

private slots:
    void initTestCase() {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(DoubleClickMs);
    }
    void init() {
        shell = std::make_unique<platform::TestTrayShell>();
        owner = std::make_unique<TComponent>();
        icon = &TComponent::Create<TTrayIcon>(*owner);
        icon->SetIconVisible(true);
        log = TrayLog();
        log.Attach(*icon);
    }
    void cleanup() {
        owner.reset();
        shell.reset();
    }

    void withoutADoubleClickHandlerTheClickComesAtTheRelease() {
        Send({code::LeftButtonDown, code::LeftButtonUp});
        QCOMPARE(log.Entries, (Log{"down:left", "click", "up:left"}));
        // A double click without a handler: the second press is no click of its own.
        Send({code::LeftButtonDoubleClick, code::LeftButtonUp});
        QCOMPARE(log.Entries, (Log{"down:left", "click", "up:left", "up:left"}));
    }

    void withADoubleClickHandlerASingleClickWaitsForTheDoubleClickTime() {
        log.AttachDblClick(*icon);
        Send({code::LeftButtonDown, code::LeftButtonUp});
        QCOMPARE(log.Entries, (Log{"down:left", "up:left"}));
        QTRY_COMPARE(log.Count("click"), 1);
        PastTheDoubleClickTime();
        QCOMPARE(log.Entries, (Log{"down:left", "up:left", "click"}));
    }

    void aDoubleClickRaisesOnlyOnDblClick() {
        log.AttachDblClick(*icon);
        Send({code::LeftButtonDown, code::LeftButtonUp, code::LeftButtonDoubleClick,
              code::LeftButtonUp});
        PastTheDoubleClickTime();
        QCOMPARE(log.Entries, (Log{"down:left", "up:left", "dblclick", "up:left"}));
        // The next single click is decided afresh.
        Send({code::LeftButtonDown, code::LeftButtonUp});
        QTRY_COMPARE(log.Count("click"), 1);
    }

    void aDoubleClickClicksTheMenusDefaultItemUnlessLeftPopup() {
        ClosingMenu menu(log.Entries);
        menu.Add("First");
        menu.Menu.setDefaultAction(&menu.Add("Second"));
        icon->SetPopupMenu(&menu.Menu);
        Send({code::LeftButtonDoubleClick});
        QCOMPARE(log.Entries, (Log{"item:Second"}));

        log.Entries.clear();
        icon->SetLeftPopup(true);
        Send({code::LeftButtonDoubleClick});
        QVERIFY(log.Entries.empty());

        log.Entries.clear();
        icon->SetLeftPopup(false);
        menu.Menu.SetAutoPopup(false);
        Send({code::LeftButtonDoubleClick});
        QVERIFY(log.Entries.empty());
    }

    void aRightPressRaisesMouseDownThenOpensTheMenu() {
        ClosingMenu menu(log.Entries);
        menu.Add("About");
        icon->SetPopupMenu(&menu.Menu);
        Send({code::RightButtonDown, code::RightButtonUp});
        QCOMPARE(log.Entries, (Log{"down:right", "popup", "up:right"}));
        QCOMPARE(menu.Menu.PopupComponent(), icon);
        QVERIFY(log.LastShift.testFlag(TShiftFlag::ssRight));

        // Choosing an item from the menu runs it.
        log.Entries.clear();
        menu.Choose(menu.Menu.actions().front());
        Send({code::RightButtonDown});
        QCOMPARE(log.Entries, (Log{"down:right", "popup", "item:About"}));
    }

    void aMenuThatGoesIsForgotten() {
        auto menu = std::make_unique<ClosingMenu>(log.Entries);
        menu->Add("About");
        icon->SetPopupMenu(&menu->Menu);
        menu.reset();
        QVERIFY(icon->PopupMenu() == nullptr);
        Send({code::RightButtonDown, code::LeftButtonDoubleClick});
        QCOMPARE(log.Entries, (Log{"down:right"}));
    }

    void leftPopupOpensTheMenuOnALeftPressToo() {
        ClosingMenu menu(log.Entries);
        menu.Add("About");
        icon->SetPopupMenu(&menu.Menu);
        Send({code::LeftButtonDown, code::LeftButtonUp});
        QCOMPARE(log.Entries, (Log{"down:left", "click", "up:left"}));
        log.Entries.clear();
        icon->SetLeftPopup(true);
        Send({code::LeftButtonDown, code::LeftButtonUp});
        QCOMPARE(log.Entries, (Log{"down:left", "popup", "click", "up:left"}));
    }

    void aDisabledIconIgnoresTheMouseButNotBalloons() {
        ClosingMenu menu(log.Entries);
        menu.Add("About");
        icon->SetPopupMenu(&menu.Menu);
        log.AttachDblClick(*icon);
        icon->SetWantEnterExitEvents(true);
        icon->SetEnabled(false);
        Send({code::MouseMove, code::LeftButtonDown, code::LeftButtonUp,
              code::LeftButtonDoubleClick, code::RightButtonDown, code::RightButtonUp,
              code::MiddleButtonDown, code::MiddleButtonUp});
        PastTheDoubleClickTime();
        QVERIFY(log.Entries.empty());
        Send({code::BalloonShow, code::BalloonHide, code::BalloonTimeout, code::BalloonUserClick});
        QCOMPARE(log.Entries,
                 (Log{"balloon:show", "balloon:hide", "balloon:timeout", "balloon:click"}));
    }

    void theButtonsAndTheCursorAreReported() {
        QCursor::setPos(123, 45);
        Send({code::MiddleButtonDown});
        QCOMPARE(log.LastPosition, QPoint(123, 45));
        QVERIFY(log.LastShift.testFlag(TShiftFlag::ssMiddle));
        QVERIFY(!log.LastShift.testFlag(TShiftFlag::ssLeft));
        Send({code::MiddleButtonUp});
        Send({code::LeftButtonDown});
        QVERIFY(log.LastShift.testFlag(TShiftFlag::ssLeft));
        QCOMPARE(log.Entries, (Log{"down:middle", "up:middle", "down:left"}));
        // Codes the icon does not know change nothing.
        Send({0x0209, code::Select});
        QCOMPARE(log.Entries.size(), std::size_t{3});
    }

    void version3EndsARightClickWithTheContextMenuCode() {
        icon->SetShellBehaviour(TShellBehaviour::Version3Notifications);
        QCOMPARE(shell->Icon(icon->Id())->Version, 3u);
        Send({code::RightButtonUp});
        QVERIFY(log.Entries.empty());
        Send({code::ContextMenu, code::Select, code::KeySelect});
        QCOMPARE(log.Entries, (Log{"up:right", "up:right", "up:right"}));

        log.Entries.clear();
        icon->SetShellBehaviour(TShellBehaviour::ClassicNotifications);
        QCOMPARE(shell->Icon(icon->Id())->Version, 0u);
        Send({code::ContextMenu, code::RightButtonUp});
        QCOMPARE(log.Entries, (Log{"up:right"}));
    }

    void thePointerEntersWithAMoveAndLeavesWhenTheCursorMovesAway() {
        QCursor::setPos(10, 10);
        Send({code::MouseMove});
        QCOMPARE(log.Entries, (Log{"move"})); // not asked for
        log.Entries.clear();

        icon->SetWantEnterExitEvents(true);
        QCursor::setPos(20, 20);
        Send({code::MouseMove});
        QCursor::setPos(21, 20);
        Send({code::MouseMove});
        QCOMPARE(log.Entries, (Log{"enter", "move", "move"}));
        QCOMPARE(log.LastPosition, QPoint(21, 20));
        // Still over the icon: the poll sees the cursor where the last move left it.
        QTest::qWait(100);
        QCOMPARE(log.Count("exit"), 0);

        QCursor::setPos(300, 300);
        QTRY_COMPARE(log.Count("exit"), 1);
        QTest::qWait(100);
        QCOMPARE(log.Count("exit"), 1);
        Send({code::MouseMove});
        QCOMPARE(log.Count("enter"), 2);
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::TrayClickTest)
#include "tray_click_test.moc"
