// Close while the rip's read is slow and then fails, as on a damaged disc: the
// window's wait for the sink ends when the run does, and the error is shown.

#include "app/form1.h"
#include "app/hot_spot.h"
#include "platform/main_thread.h"
#include "platform/qt_main_thread.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"
#include "tests/support/gate.h"
#include "tests/support/test_source.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace kestrune::test {

using namespace std::chrono_literals;

class CloseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void closeDuringASlowFailingReadEndsAndShowsTheError() {
        const platform::QtMainThreadPump pump;
        DiscImages images;
        UseDrives({images.Make("disc", {"audio:2"})});
        const QString output = QString::fromStdString((images.Folder() / "slow.mp3").string());
        ModalDriver driver;
        QString message;
        driver.Then(ModalDriver::ChooseFile(output));
        driver.Then(ModalDriver::Acknowledge(message));

        TForm1 form({"D:\\Track01.cda"});
        // The rip reads from a source whose first read waits and then fails.
        auto slowDisc = MakeComponent<TTestSource>(10 * 16384);
        Gate slowRead(false);
        slowDisc->ReadGate = &slowRead;
        slowDisc->FailAtPosition = 0;
        form.MP3Out1().SetInput(slowDisc.get());
        form.show();
        form.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(form.MP3Out1().Busy(), 20000);
        slowRead.AwaitWaiter();

        // The read fails only once the window waits for the sink: this call runs
        // when the main thread first pumps, inside the close's wait.
        std::thread disc([&] {
            platform::RunOnMainThread([] {});
            slowRead.Open();
        });
        // Only a guard against hanging for ever: after a time long enough for any
        // machine, a watchdog wakes the main thread itself.
        Gate testOver(false);
        std::atomic<bool> wokenByWatchdog{false};
        std::thread watchdog([&] {
            if (!testOver.PassWithin(60s)) {
                wokenByWatchdog = true;
                platform::WakeMainThread();
            }
        });
        QTest::mouseClick(&form.CloseButton(), Qt::LeftButton);
        testOver.Open();
        watchdog.join();
        disc.join();

        QVERIFY2(!wokenByWatchdog, "the close went on waiting after the run had failed");
        QVERIFY(!form.isVisible());
        QCOMPARE(form.MP3Out1().Status(), TOutputStatus::osIdle);
        QTRY_COMPARE_WITH_TIMEOUT(message, QString("test source failed at 0"), 20000);
        QVERIFY(!std::filesystem::exists(output.toStdString()));
        form.MP3Out1().SetInput(nullptr);
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::CloseTest)
#include "close_test.moc"
