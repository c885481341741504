// The tray icon and its owner window: minimising sends the window to the tray,
// a click handler brings it back in front, and a startup handler can keep the
// window hidden from the start.

#include "platform/qt_application.h"
#include "platform/test_tray_shell.h"
#include "tests/tray/tray_fixture.h"
#include "tray/tray_icon.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>

namespace kestrune::test {

namespace code = platform::TrayCode;

class TrayWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<platform::TestTrayShell> shell;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<TComponent> owner;

    // The window's tray icon as the main window sets it up: visible, sent to
    // the tray on minimising, restoring the window on a click.
    TTrayIcon& MakeIcon(const TStartupEvent& OnStartup = {}) {
        owner->BeginLoading();
        auto& icon = TComponent::Create<TTrayIcon>(*owner, window.get());
        icon.SetIconVisible(true);
        icon.SetMinimizeToTray(true);
        icon.SetOnClick([&icon](TComponent&) { icon.RestoreMainWindow(); });
        icon.SetOnStartup(OnStartup);
        owner->LoadedComponents();
        return icon;
    }

    void ShowWindow() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        shell = std::make_unique<platform::TestTrayShell>();
        window = std::make_unique<QWidget>();
        window->resize(200, 60);
        owner = std::make_unique<TComponent>();
        platform::SetShowMainForm(true);
    }
    void cleanup() {
        owner.reset();
        window.reset();
        shell.reset();
    }

    void minimisingSendsTheWindowToTheTrayAndAClickBringsItBackInFront() {
        TTrayIcon& icon = MakeIcon();
        ShowWindow();
        icon.SetIconVisible(false);
        window->setWindowState(Qt::WindowMinimized);
        QVERIFY(!window->isVisible());
        QVERIFY(icon.IconVisible());
        QVERIFY(shell->Icon(icon.Id()) != nullptr);

        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(shell->Notify(icon.Id(), code::LeftButtonDown));
        QVERIFY(shell->Notify(icon.Id(), code::LeftButtonUp));
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::activeWindow(), window.get());
        // The icon stays while the window is shown.
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
    }

    void withoutMinimizeToTrayMinimisingOnlyMinimises() {
        TTrayIcon& icon = MakeIcon();
        icon.SetMinimizeToTray(false);
        int announced = 0;
        icon.SetOnMinimizeToTray([&](TComponent&) { ++announced; });
        ShowWindow();
        window->setWindowState(Qt::WindowMinimized);
        QVERIFY(window->isVisible());
        QVERIFY(window->isMinimized());
        QCOMPARE(announced, 0);
    }

    void onMinimizeToTrayIsToldOnceBeforeTheWindowGoes() {
        TTrayIcon& icon = MakeIcon();
        std::vector<bool> visibleWhenTold;
        icon.SetOnMinimizeToTray(
            [&](TComponent&) { visibleWhenTold.push_back(window->isVisible()); });
        ShowWindow();
        window->setWindowState(Qt::WindowMinimized);
        QVERIFY(!window->isVisible());
        QCOMPARE(visibleWhenTold, std::vector<bool>{true});

        icon.RestoreMainWindow();
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
    }

    void restoringAWindowMinimisedFromMaximisedGivesTheNormalWindow() {
        TTrayIcon& icon = MakeIcon();
        icon.SetMinimizeToTray(false);
        ShowWindow();
        window->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(window->isMaximized());
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
        QVERIFY(window->isMinimized());
        icon.RestoreMainWindow();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized),
                 Qt::WindowNoState);
    }

    void hidingAndRestoringTheMainWindow() {
        TTrayIcon& icon = MakeIcon();
        ShowWindow();
        icon.HideMainWindow();
        QVERIFY(!window->isVisible());
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
        icon.RestoreMainWindow();
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // Stock GNOME or a bare window manager: nothing could bring a hidden
    // window back, so it is only minimised; the icon comes with the area.
    void withoutANotificationAreaTheWindowIsMinimisedNotHidden() {
        shell->Stop();
        TTrayIcon& icon = MakeIcon();
        ShowWindow();
        icon.HideMainWindow();
        QVERIFY(window->isVisible());
        QVERIFY(window->isMinimized());
        icon.RestoreMainWindow();
        QVERIFY(!window->isMinimized());
        // Minimised by the window manager, it stays minimised too.
        window->setWindowState(Qt::WindowMinimized);
        QVERIFY(window->isVisible());
        QVERIFY(shell->Icons().empty());
        shell->Start();
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
        icon.HideMainWindow();
        QVERIFY(!window->isVisible());
    }

    void aNotificationAreaThatGoesGivesTheHiddenWindowBackMinimised() {
        TTrayIcon& icon = MakeIcon();
        ShowWindow();
        icon.HideMainWindow();
        QVERIFY(!window->isVisible());
        shell->Stop();
        QVERIFY(window->isVisible());
        QVERIFY(window->isMinimized());
        // A window the program shows stays as it is when the area goes.
        icon.RestoreMainWindow();
        shell->Start();
        shell->Stop();
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
    }

    void aStartupHandlerCanKeepTheWindowHidden() {
        TTrayIcon& icon = MakeIcon([](TComponent&, bool& ShowMainForm) { ShowMainForm = false; });
        QVERIFY(!platform::ShowMainForm());
        QVERIFY(!window->isVisible());
        QVERIFY(shell->Icon(icon.Id()) != nullptr);
        // Only the icon is there; a click brings the window up.
        QVERIFY(shell->Notify(icon.Id(), code::LeftButtonDown));
        QVERIFY(shell->Notify(icon.Id(), code::LeftButtonUp));
        QVERIFY(window->isVisible());
    }

    void aStartupHandlerThatKeepsTheWindowLeavesTheFlagSet() {
        int asked = 0;
        MakeIcon([&](TComponent& Sender, bool& ShowMainForm) {
            ++asked;
            QVERIFY(ShowMainForm);
            QVERIFY(dynamic_cast<TTrayIcon*>(&Sender) != nullptr);
        });
        QCOMPARE(asked, 1);
        QVERIFY(platform::ShowMainForm());
    }

    void theHooksGoWithTheIcon() {
        TTrayIcon& icon = MakeIcon();
        owner->DestroyComponent(icon);
        ShowWindow();
        window->setWindowState(Qt::WindowMinimized);
        QVERIFY(window->isVisible());
        QVERIFY(shell->Icons().empty());
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::TrayWindowTest)
#include "tray_window_test.moc"
