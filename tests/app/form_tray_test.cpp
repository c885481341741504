// The main window's tray icon as a user meets it: the window goes to the tray
// and comes back in front, and the icon's menu opens the About box.

#include "app/about_box.h"
#include "app/form1.h"
#include "app/hot_spot.h"
#include "platform/qt_main_thread.h"
#include "platform/test_tray_shell.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <memory>

namespace kestrune::test {

namespace code = platform::TrayCode;

class FormTrayTest : public QObject {
    Q_OBJECT

private:
    platform::QtMainThreadPump pump;
    std::unique_ptr<platform::TestTrayShell> shell;
    std::unique_ptr<DiscImages> images;
    std::unique_ptr<ModalDriver> driver;
    std::unique_ptr<TForm1> form;

    void Click(std::uint32_t Down, std::uint32_t Up) {
        QVERIFY(shell->Notify(form->TrayIcon1().Id(), Down));
        QVERIFY(shell->Notify(form->TrayIcon1().Id(), Up));
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        shell = std::make_unique<platform::TestTrayShell>();
        images = std::make_unique<DiscImages>();
        driver = std::make_unique<ModalDriver>();
        UseDrives({images->Make("disc", {"audio:1"})});
        form = std::make_unique<TForm1>(std::vector<std::string>{"D:\\Track01.cda"});
        // The user cancels the save dialog: the window stays, idle.
        driver->Then(ModalDriver::Cancel());
        form->show();
        form->activateWindow();
        QTRY_VERIFY(driver->Done());
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    }
    void cleanup() {
        form.reset();
        driver.reset();
        images.reset();
        shell.reset();
    }

    void theIconIsInTheTrayWithBothImagesAndTheOneItemMenu() {
        const TTrayIcon& icon = form->TrayIcon1();
        const auto* shown = shell->Icon(icon.Id());
        QVERIFY(shown != nullptr);
        QVERIFY(icon.IconVisible());
        QVERIFY(icon.MinimizeToTray());
        QCOMPARE(icon.IconIndex(), 0);
        QCOMPARE(icon.CycleInterval(), 0u);
        const QList<QSize> sizes = shown->Icon.availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));
        QCOMPARE(icon.PopupMenu(), &form->PopupMenu1());
        QCOMPARE(form->PopupMenu1().actions().size(), 1);
        QCOMPARE(form->PopupMenu1().actions().front()->text(), QString("About"));
        QCOMPARE(form->MinimizeButton().toolTip(), QString("Minimize to tray"));
    }

    void minimizeToTrayHidesTheWindowAndAClickOnTheIconBringsItBackInFront() {
        QTest::mouseClick(&form->MinimizeButton(), Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QVERIFY(shell->Icon(form->TrayIcon1().Id()) != nullptr);

        Click(code::LeftButtonDown, code::LeftButtonUp);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QVERIFY(shell->Icon(form->TrayIcon1().Id()) != nullptr);
        // Coming back does not ask for a file again.
        QVERIFY(driver->Done());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void minimisingTheWindowAnyOtherWaySendsItToTheTrayToo() {
        form->setWindowState(Qt::WindowMinimized);
        QVERIFY(!form->isVisible());
        Click(code::LeftButtonDown, code::LeftButtonUp);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
    }

    void theMenusAboutItemOpensTheAboutBox() {
        TPopupMenu& menu = form->PopupMenu1();
        // The user clicks the menu's one item once it is open.
        QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&menu] {
            QTimer::singleShot(0, &menu, [&menu] {
                QAction* const about = menu.actions().front();
                QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(about).center());
            });
        });
        QPointer<QWidget> opened;
        driver->Then([&](QWidget& Modal) {
            opened = &Modal;
            QVERIFY(qobject_cast<TAboutBox*>(&Modal) != nullptr);
            QTest::keyClick(&Modal, Qt::Key_Return);
        });
        Click(code::RightButtonDown, code::RightButtonUp);
        QVERIFY(driver->Done());
        QVERIFY2(opened.isNull(), "the box was shown and destroyed");
        QVERIFY(!menu.isVisible());
        QVERIFY(form->isVisible());
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::FormTrayTest)
#include "form_tray_test.moc"
