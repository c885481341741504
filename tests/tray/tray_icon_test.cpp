// The tray icon against the in-process notification area: the record it
// sends, its tip, being added and removed, coming back after the notification
// area restarts, images and cycling, and what its destruction leaves behind.

#include "platform/test_tray_shell.h"
#include "tests/tray/tray_fixture.h"
#include "tray/image_list.h"
#include "tray/tick_timer_handler.h"
#include "tray/tray_icon.h"
#include "tray/tray_icon_handler.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace kestrune::test {

using platform::TrayOperation;

class TrayIconTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<platform::TestTrayShell> shell;
    std::unique_ptr<TComponent> owner;

    TTrayIcon& MakeIcon() { return TComponent::Create<TTrayIcon>(*owner); }

    static QString Tip(const platform::NotifyIconData& Data) {
        return QString::fromUtf8(Data.Tip.data());
    }

private slots:
    void init() {
        shell = std::make_unique<platform::TestTrayShell>();
        owner = std::make_unique<TComponent>();
    }
    void cleanup() {
        owner.reset();
        shell.reset();
    }

    void everyCallCarriesTheIconsRecord() {
        TTrayIcon& first = MakeIcon();
        TTrayIcon& second = MakeIcon();
        QVERIFY(first.Id() != second.Id());
        first.SetIconVisible(true);
        const auto& call = shell->Calls().back();
        QCOMPARE(call.Operation, TrayOperation::nimAdd);
        QVERIFY(call.Result);
        QCOMPARE(call.Data.Id, first.Id());
        QCOMPARE(call.Data.Flags, 7u);
        QCOMPARE(call.Data.CallbackMessage, 0x0800u);
        QCOMPARE(call.Data.Window.data(), TTrayIconHandler::SharedTrayWindow());
        QCOMPARE(call.Data.Version, 0u);
    }

    void theTipIsTheHintCutTo127BytesOrEmpty() {
        TTrayIcon& icon = MakeIcon();
        icon.SetIconVisible(true);
        icon.SetHint(QString(200, 'h'));
        const auto* shown = shell->Icon(icon.Id());
        QVERIFY(shown != nullptr);
        QCOMPARE(Tip(*shown), QString(127, 'h'));
        QCOMPARE(shown->Tip[127], '\0');

        icon.SetShowHint(false);
        shown = shell->Icon(icon.Id());
        QVERIFY(std::all_of(shown->Tip.begin(), shown->Tip.end(), [](char c) { return c == 0; }));

        icon.SetShowHint(true);
        icon.SetHint("");
        shown = shell->Icon(icon.Id());
        QVERIFY(std::all_of(shown->Tip.begin(), shown->Tip.end(), [](char c) { return c == 0; }));

        // A character that does not fit whole is left out, not cut in half.
        icon.SetHint(QString(126, 'a') + QChar(0x00E9));
        QCOMPARE(Tip(*shell->Icon(icon.Id())), QString(126, 'a'));
        icon.SetHint(QString(125, 'a') + QChar(0x00E9));
        QCOMPARE(Tip(*shell->Icon(icon.Id())), QString(125, 'a') + QChar(0x00E9));
    }

    void visibilityAddsAndRemovesTheIconAndAddingTwiceFails() {
        TTrayIcon& icon = MakeIcon();
        QVERIFY(!icon.IconVisible());
        QVERIFY(shell->Icon(icon.Id()) == nullptr);

        icon.SetIconVisible(true);
        QVERIFY(icon.IconVisible());
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
        icon.SetIconVisible(true);
        QCOMPARE(shell->Calls().back().Operation, TrayOperation::nimAdd);
        QVERIFY(!shell->Calls().back().Result);
        QCOMPARE(shell->Icons().size(), std::size_t{1});

        icon.SetIconVisible(false);
        QVERIFY(!icon.IconVisible());
        QVERIFY(shell->Icon(icon.Id()) == nullptr);
    }

    void designPreviewShowsTheIconWithoutChangingIconVisible() {
        TTrayIcon& icon = MakeIcon();
        icon.SetDesignPreview(true);
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
        QVERIFY(!icon.IconVisible());
        icon.SetDesignPreview(false);
        QVERIFY(shell->Icon(icon.Id()) == nullptr);
        QVERIFY(!icon.IconVisible());
    }

    void afterTheNotificationAreaRestartsOnlyVisibleIconsComeBack() {
        TTrayIcon& shown = MakeIcon();
        TTrayIcon& hidden = MakeIcon();
        shown.SetHint("still here");
        shown.SetIconVisible(true);
        shell->Stop();
        QVERIFY(shell->Icons().empty());
        shell->Start();
        const auto* back = shell->Icon(shown.Id());
        QVERIFY(back != nullptr);
        QCOMPARE(Tip(*back), QString("still here"));
        QVERIFY(shell->Icon(hidden.Id()) == nullptr);
        QCOMPARE(shell->Icons().size(), std::size_t{1});
    }

    void theLoadedIconTellsTheShellItsSchemeAndRepeatsItsSettings() {
        owner->BeginLoading();
        TTrayIcon& icon = MakeIcon();
        icon.SetIconVisible(true);
        icon.SetShellBehaviour(TShellBehaviour::Version3Notifications);
        shell->ClearCalls();
        owner->LoadedComponents();
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
        QCOMPARE(shell->Icon(icon.Id())->Version, 3u);
        QCOMPARE(shell->Calls().back().Operation, TrayOperation::nimSetVersion);
        QVERIFY(std::any_of(shell->Calls().begin(), shell->Calls().end(), [](const auto& call) {
            return call.Operation == TrayOperation::nimAdd;
        }));
    }

    void anIndexPastTheListStoresItsLastImage() {
        TTrayIcon& icon = MakeIcon();
        icon.SetIconVisible(true);
        icon.SetIconIndex(5);
        QCOMPARE(icon.IconIndex(), 0); // no list

        auto& list = TComponent::Create<TImageList>(*owner);
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        for (const QColor& colour : colours) {
            list.Add(SolidIcon(colour));
        }
        icon.SetIconList(&list);
        icon.SetIconIndex(10);
        QCOMPARE(icon.IconIndex(), 3);
        QCOMPARE(shell->Icon(icon.Id())->Icon.cacheKey(), list.GetIcon(3).cacheKey());
        icon.SetIconIndex(1);
        QCOMPARE(shell->Icon(icon.Id())->Icon.cacheKey(), list.GetIcon(1).cacheKey());
        icon.SetIconIndex(4);
        QCOMPARE(icon.IconIndex(), 3);

        // The list goes: the icon forgets it and starts from 0 again.
        owner->DestroyComponent(list);
        QVERIFY(icon.IconList() == nullptr);
        QCOMPARE(icon.IconIndex(), 0);
    }

    void cyclingShowsEachImageInTurnWithOnCycleInStep() {
        TTrayIcon& icon = MakeIcon();
        icon.SetIconVisible(true);
        auto& list = TComponent::Create<TImageList>(*owner);
        for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
            list.Add(SolidIcon(colour));
        }
        icon.SetIconList(&list);
        std::vector<int> next;
        std::vector<int> shownBefore;
        std::vector<int> shownAfter;
        const auto shownImage = [&] {
            for (int index = 0; index < list.Count(); ++index) {
                if (shell->Icon(icon.Id())->Icon.cacheKey() == list.GetIcon(index).cacheKey()) {
                    return index;
                }
            }
            return -1;
        };
        icon.SetOnCycle([&](TComponent&, int NextIndex) {
            next.push_back(NextIndex);
            shownBefore.push_back(shownImage());
            // The image chosen after this step is the one announced.
            QTimer::singleShot(0, [&] { shownAfter.push_back(shownImage()); });
        });
        icon.SetCycleInterval(10);
        icon.SetCycleIcons(true);
        QCOMPARE(shownImage(), 0);
        QTRY_VERIFY(shownAfter.size() >= 5);
        icon.SetCycleIcons(false);
        QCOMPARE(std::vector<int>(next.begin(), next.begin() + 5),
                 (std::vector<int>{1, 2, 0, 1, 2}));
        QCOMPARE(std::vector<int>(shownBefore.begin(), shownBefore.begin() + 5),
                 (std::vector<int>{0, 1, 2, 0, 1}));
        QCOMPARE(std::vector<int>(shownAfter.begin(), shownAfter.begin() + 5),
                 (std::vector<int>{1, 2, 0, 1, 2}));
    }

    void cyclingNeedsAnIntervalAndRestartsFromTheFirstImage() {
        TTrayIcon& icon = MakeIcon();
        auto& list = TComponent::Create<TImageList>(*owner);
        list.Add(SolidIcon(Qt::red));
        list.Add(SolidIcon(Qt::green));
        icon.SetIconList(&list);
        int cycles = 0;
        icon.SetOnCycle([&](TComponent&, int) { ++cycles; });
        icon.SetCycleIcons(true); // interval 0: nothing moves
        QTest::qWait(100);
        QCOMPARE(cycles, 0);
        icon.SetIconIndex(1);
        icon.SetCycleInterval(10);
        QCOMPARE(icon.IconIndex(), 0);
        QTRY_VERIFY(cycles >= 2);
    }

    void destructionRemovesTheIconAndReleasesTheSharedObjects() {
        TTrayIcon& first = MakeIcon();
        TTrayIcon& second = MakeIcon();
        first.SetIconVisible(true);
        second.SetIconVisible(true);
        first.SetCycleInterval(10);
        first.SetCycleIcons(true);
        QCOMPARE(TTrayIconHandler::SharedTrayWindow()->UserCount(), 2);
        QCOMPARE(TTickTimerHandler::SharedTimerWindow()->UserCount(), 6);

        owner->DestroyComponent(first);
        QVERIFY(shell->Icon(second.Id()) != nullptr);
        QCOMPARE(shell->Icons().size(), std::size_t{1});
        QCOMPARE(TTrayIconHandler::SharedTrayWindow()->UserCount(), 1);
        QCOMPARE(TTickTimerHandler::SharedTimerWindow()->UserCount(), 3);

        const std::uint32_t secondId = second.Id();
        owner.reset();
        QVERIFY(shell->Icons().empty());
        QVERIFY(TTrayIconHandler::SharedTrayWindow() == nullptr);
        QVERIFY(TTickTimerHandler::SharedTimerWindow() == nullptr);
        // A notification for an icon that has gone reaches nobody.
        QVERIFY(!shell->Notify(secondId, platform::TrayCode::LeftButtonDown));
    }

    // Every handler may free the icon it was called for (the last one, too):
    // nothing of the icon may be touched once a handler has returned.
    void aHandlerMayFreeTheLastIconOnEveryPath() {
        namespace code = platform::TrayCode;
        using Frees = std::function<void(TTrayIcon&, TNotifyEvent)>;
        const auto onMouseDown = [](TTrayIcon& Icon, TNotifyEvent Free) {
            Icon.SetOnMouseDown(
                [Free](TComponent& Sender, TMouseButton, TShiftState, int, int) { Free(Sender); });
        };
        // A menu item that frees the icon whose menu it is.
        std::vector<std::string> menuLog;
        ClosingMenu menu(menuLog);
        QAction& item = menu.Add("free");
        menu.Choose(&item);
        std::function<void()> freeByItem;
        QObject::connect(&item, &QAction::triggered, [&] {
            if (freeByItem) {
                freeByItem();
            }
        });
        struct Path {
            const char* Name;
            Frees Attach;
            std::vector<std::uint32_t> Codes;
        };
        const std::vector<Path> paths{
            {"middle press", onMouseDown, {code::MiddleButtonDown}},
            {"left press", onMouseDown, {code::LeftButtonDown}},
            {"right press", onMouseDown, {code::RightButtonDown}},
            {"click on release",
             [](TTrayIcon& Icon, TNotifyEvent Free) { Icon.SetOnClick(Free); },
             {code::LeftButtonDown, code::LeftButtonUp}},
            {"delayed click",
             [](TTrayIcon& Icon, TNotifyEvent Free) {
                 Icon.SetOnClick(Free);
                 Icon.SetOnDblClick([](TComponent&) {});
             },
             {code::LeftButtonDown, code::LeftButtonUp}},
            {"double click",
             [](TTrayIcon& Icon, TNotifyEvent Free) { Icon.SetOnDblClick(Free); },
             {code::LeftButtonDown, code::LeftButtonUp, code::LeftButtonDoubleClick}},
            {"pointer entering",
             [](TTrayIcon& Icon, TNotifyEvent Free) {
                 Icon.SetWantEnterExitEvents(true);
                 Icon.SetOnMouseEnter(Free);
             },
             {code::MouseMove}},
            {"pointer moving",
             [](TTrayIcon& Icon, TNotifyEvent Free) {
                 Icon.SetOnMouseMove(
                     [Free](TComponent& Sender, TShiftState, int, int) { Free(Sender); });
             },
             {code::MouseMove}},
            {"menu item",
             [&](TTrayIcon& Icon, TNotifyEvent Free) {
                 Icon.SetPopupMenu(&menu.Menu);
                 freeByItem = [&Icon, Free] { Free(Icon); };
             },
             {code::RightButtonDown}},
            {"cycling",
             [this](TTrayIcon& Icon, TNotifyEvent Free) {
                 auto& list = TComponent::Create<TImageList>(*owner);
                 list.Add(SolidIcon(Qt::red));
                 list.Add(SolidIcon(Qt::blue));
                 Icon.SetIconList(&list);
                 Icon.SetOnCycle([Free](TComponent& Sender, int) { Free(Sender); });
                 Icon.SetCycleInterval(10);
                 Icon.SetCycleIcons(true);
             },
             {}},
        };
        QStyleHints* const hints = QGuiApplication::styleHints();
        const int doubleClickMs = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(20);
        for (const Path& path : paths) {
            TTrayIcon& icon = MakeIcon();
            icon.SetIconVisible(true);
            const std::uint32_t id = icon.Id();
            bool freed = false;
            path.Attach(icon, [&](TComponent& Sender) {
                owner->DestroyComponent(Sender);
                freed = true;
            });
            for (const std::uint32_t notification : path.Codes) {
                QVERIFY2(freed || shell->Notify(id, notification), path.Name);
            }
            QTRY_VERIFY2(freed, path.Name);
            QVERIFY2(shell->Icons().empty(), path.Name);
            QVERIFY2(TTrayIconHandler::SharedTrayWindow() == nullptr, path.Name);
            // Whatever the freed icon had running goes with it.
            QTRY_VERIFY2(TTickTimerHandler::SharedTimerWindow() == nullptr, path.Name);
        }
        hints->setMouseDoubleClickInterval(doubleClickMs);
        QCOMPARE(menuLog, (std::vector<std::string>{"popup", "item:free"}));
        TTrayIcon& next = MakeIcon();
        next.SetIconVisible(true);
        QVERIFY(shell->Icon(next.Id()) != nullptr);
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::TrayIconTest)
#include "tray_icon_test.moc"
