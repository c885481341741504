// The main window driven as a user drives it: the save dialog through its line
// edit, the message boxes read and acknowledged, the buttons clicked.

#include "app/form1.h"
#include "app/hot_spot.h"
#include "platform/qt_main_thread.h"
#include "progressbar/turn_progress_bar.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace kestrune::test {

class FormTest : public QObject {
    Q_OBJECT

private:
    // As in the program: the event loop runs the worker's calls.
    platform::QtMainThreadPump pump;
    std::unique_ptr<DiscImages> images;
    std::unique_ptr<ModalDriver> driver;
    std::vector<int> percents;

    QString Output(const char* Name) const {
        return QString::fromStdString((images->Folder() / Name).string());
    }

    // The window for Arguments on these drives, shown and active.
    std::unique_ptr<TForm1> Open(const std::vector<std::string>& Drives,
                                 const std::vector<std::string>& Arguments) {
        UseDrives(Drives);
        auto form = std::make_unique<TForm1>(Arguments);
        connect(&form->ProgressBar1(), &TTurnProgressBar::PercentChanged, this,
                [this](int value) { percents.push_back(value); });
        form->show();
        form->activateWindow();
        return form;
    }

    static bool Closed(const TForm1& Form, int Milliseconds = 20000) {
        return QTest::qWaitFor([&] { return !Form.isVisible(); }, Milliseconds);
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        images = std::make_unique<DiscImages>();
        driver = std::make_unique<ModalDriver>();
        percents.clear();
    }
    void cleanup() {
        driver.reset();
        images.reset();
        ::unsetenv("DISCREAD_SIMULATE");
    }

    void ripsTheTrackOfTheArgumentAndEnds() {
        const auto cue = images->Make("disc", {"audio:3:sine=440@-9", "audio:1"});
        driver->Then(ModalDriver::ChooseFile(Output("one.mp3")));
        const auto form = Open({cue}, {"D:\\Track01.cda"});
        QVERIFY(Closed(*form));
        const auto decoded = DecodeMp3(Output("one.mp3").toStdString());
        QCOMPARE(decoded.Frames(), std::size_t{3 * 44100});
        const auto tag = ReadId3v1(Output("one.mp3").toStdString());
        QVERIFY(tag.has_value());
        QCOMPARE(QString::fromStdString(tag->Comment), QString("Velmora DG [Ostin] - Kestrune"));
        QCOMPARE(QString::fromStdString(tag->Album), QString("www.velmora.example"));
        QVERIFY(percents.size() > 10);
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        QCOMPARE(percents.back(), 100);
        QVERIFY(!form->CDIn1().Busy());
    }

    void anotherDriveLetterStillReadsTheFirstDrive() {
        const auto cue = images->Make("disc", {"audio:1", "audio:2:sine=880"});
        driver->Then(ModalDriver::ChooseFile(Output("two.mp3")));
        const auto form = Open({cue, images->Missing("other")}, {"E:\\Track02.cda"});
        QVERIFY(Closed(*form));
        QCOMPARE(DecodeMp3(Output("two.mp3").toStdString()).Frames(), std::size_t{2 * 44100});
    }

    void wrongTrackFileNamesAreRefusedAfterTheDialog_data() {
        QTest::addColumn<QString>("argument");
        QTest::newRow("lower-case track") << "D:\\track01.cda";
        QTest::newRow("no argument") << "";
    }
    void wrongTrackFileNamesAreRefusedAfterTheDialog() {
        QFETCH(QString, argument);
        const auto cue = images->Make("disc", {"audio:1"});
        QString message;
        driver->Then(ModalDriver::ChooseFile(Output("no.mp3")));
        driver->Then(ModalDriver::Acknowledge(message));
        std::vector<std::string> arguments;
        if (!argument.isEmpty()) {
            arguments.push_back(argument.toStdString());
        }
        const auto form = Open({cue}, arguments);
        QVERIFY(Closed(*form));
        QCOMPARE(message, QString("There is no valid Track file name like Track01.cda"));
        QVERIFY(!std::filesystem::exists(Output("no.mp3").toStdString()));
    }

    void aTrackNumberThatIsNoIntegerStopsTheRequestAndTheWindowStays() {
        const auto cue = images->Make("disc", {"audio:1"});
        QString message;
        driver->Then(ModalDriver::ChooseFile(Output("no.mp3")));
        driver->Then(ModalDriver::Acknowledge(message));
        const auto form = Open({cue}, {"D:\\Track1.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(driver->Done(), 10000);
        QTRY_COMPARE(message, QString("'1.' is not a valid integer value"));
        QTest::qWait(200);
        QVERIFY(form->isVisible());
        QCOMPARE(form->MP3Out1().Status(), TOutputStatus::osIdle);
        QVERIFY(!std::filesystem::exists(Output("no.mp3").toStdString()));
    }

    void cancelledDialogLeavesTheWindowIdleAndCloseStillEndsIt() {
        const auto cue = images->Make("disc", {"audio:1"});
        driver->Then(ModalDriver::Cancel());
        const auto form = Open({cue}, {"D:\\Track01.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(driver->Done(), 10000);
        QTest::qWait(100);
        QVERIFY(form->isVisible());
        QCOMPARE(form->MP3Out1().Status(), TOutputStatus::osIdle);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(&form->CloseButton(), Qt::LeftButton);
        QVERIFY(clock.elapsed() >= 2000);
        QCOMPARE(form->StaticText1().text(), QString("WAIT. CD STOP"));
        QVERIFY(!form->isVisible());
    }

    void pauseHoldsTheRipAndResumeFinishesIt() {
        // A drive of 30 times real time takes three seconds for the track: the
        // pause comes mid-rip however fast the machine encodes.
        ::setenv("DISCREAD_SIMULATE", "speed=30", 1);
        const auto cue = images->Make("long", {"audio:90:noise=3@-20"});
        driver->Then(ModalDriver::ChooseFile(Output("paused.mp3")));
        const auto form = Open({cue}, {"D:\\Track01.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(form->ProgressBar1().Percent() >= 3, 20000);
        QTest::mouseClick(&form->StopButton(), Qt::LeftButton);
        QCOMPARE(form->StaticText1().text(), QString("    PAUSE    "));
        QVERIFY(form->StaticText1().isVisible());
        QCOMPARE(form->ProgressBar1().Percent(), 0);
        QVERIFY(!form->RipRunning());
        QCOMPARE(form->MP3Out1().Status(), TOutputStatus::osPaused);
        const auto heldAt = form->CDIn1().Position();
        QTest::qWait(300);
        QVERIFY(form->CDIn1().Position() - heldAt <= 2 * 176400);

        QTest::mouseClick(&form->StopButton(), Qt::LeftButton);
        QVERIFY(!form->StaticText1().isVisible());
        QVERIFY(form->RipRunning());
        QVERIFY(form->ProgressBar1().Percent() >= 3);
        QVERIFY(Closed(*form, 60000));
        QCOMPARE(DecodeMp3(Output("paused.mp3").toStdString()).Frames(), std::size_t{90 * 44100});
    }

    void closeWhilePausedFinishesThePartialFile() {
        // As above: the rip is paused and closed well before the drive is done.
        ::setenv("DISCREAD_SIMULATE", "speed=30", 1);
        const auto cue = images->Make("long", {"audio:120:noise=5@-20"});
        driver->Then(ModalDriver::ChooseFile(Output("partial.mp3")));
        const auto form = Open({cue}, {"D:\\Track01.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(form->ProgressBar1().Percent() >= 2, 20000);
        QTest::mouseClick(&form->StopButton(), Qt::LeftButton);
        QTest::mouseClick(&form->CloseButton(), Qt::LeftButton);
        QVERIFY(Closed(*form, 1000));
        QVERIFY(!form->CDIn1().Busy());
        const auto path = Output("partial.mp3").toStdString();
        const auto decoded = DecodeMp3(path);
        QVERIFY(decoded.Frames() > 0);
        QVERIFY(decoded.Frames() < std::size_t{120 * 44100});
        QVERIFY(ReadId3v1(path).has_value());
    }

    // A data track, or no disc at all, is refused; so is a data track of a
    // mixed disc (its first track, on a mixed-mode disc).
    void discsThatAreNotPureAudioAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("argument");
        QTest::newRow("data track of a CD-Extra") << "extra"
                                                  << "D:\\Track02.cda";
        QTest::newRow("data track of a mixed-mode disc") << "mixed-mode"
                                                         << "D:\\Track01.cda";
        QTest::newRow("no track of that number") << "extra"
                                                 << "D:\\Track07.cda";
        QTest::newRow("missing") << "missing"
                                 << "D:\\Track01.cda";
    }
    void discsThatAreNotPureAudioAreRefused() {
        QFETCH(QString, kind);
        QFETCH(QString, argument);
        const auto cue = kind == "extra"        ? images->Make("extra", {"audio:1", "data:1"})
                         : kind == "mixed-mode" ? images->Make("mode", {"data:1", "audio:1"})
                                                : images->Missing("none");
        QString message;
        driver->Then(ModalDriver::ChooseFile(Output("no.mp3")));
        driver->Then(ModalDriver::Acknowledge(message));
        const auto form = Open({cue}, {argument.toStdString()});
        QVERIFY(Closed(*form));
        QCOMPARE(message, QString("This is not an audio CD in Drive or Disc protected"));
        QVERIFY(!std::filesystem::exists(Output("no.mp3").toStdString()));
    }

    // Enhanced CDs (audio, then a data session) and mixed-mode discs (data
    // first) are common: their audio tracks are ripped.
    void anAudioTrackOfAMixedDiscIsRipped_data() {
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<QString>("argument");
        QTest::newRow("CD-Extra") << QStringList{"audio:3", "data:3"} << "D:\\Track01.cda";
        QTest::newRow("mixed mode") << QStringList{"data:2", "audio:3"} << "D:\\Track02.cda";
    }
    void anAudioTrackOfAMixedDiscIsRipped() {
        QFETCH(QStringList, tracks);
        QFETCH(QString, argument);
        std::vector<std::string> specs;
        for (const QString& track : tracks) {
            specs.push_back(track.toStdString());
        }
        const auto cue = images->Make("enhanced", specs);
        driver->Then(ModalDriver::ChooseFile(Output("enhanced.mp3")));
        const auto form = Open({cue}, {argument.toStdString()});
        QVERIFY(Closed(*form, 60000));
        QCOMPARE(DecodeMp3(Output("enhanced.mp3").toStdString()).Frames(), std::size_t{3 * 44100});
    }

    void aFullDiskIsReportedAndTheWindowStaysIdle() {
        const auto cue = images->Make("disc", {"audio:5:noise=2"});
        const auto full = Output("full.mp3");
        std::filesystem::create_symlink("/dev/full", full.toStdString());
        QString message;
        driver->Then(ModalDriver::ChooseFile(full));
        driver->Then(ModalDriver::Confirm()); // the dialog asks before replacing
        driver->Then(ModalDriver::Acknowledge(message));
        const auto form = Open({cue}, {"D:\\Track01.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(driver->Done(), 20000);
        QTRY_COMPARE(message, "Cannot write to file \"" + full + "\". No space left on device");
        QVERIFY(form->isVisible());
        QCOMPARE(form->ProgressBar1().Percent(), 0);
        QVERIFY(!form->RipRunning());
        QCOMPARE(form->MP3Out1().Status(), TOutputStatus::osIdle);
        QVERIFY(std::filesystem::exists("/dev/full"));
    }

    void aDamagedDiscIsReportedAndLeavesNoFile() {
        const auto cue = images->Make("cut", {"audio:4:noise=9", "audio:2"}, 200);
        QString message;
        driver->Then(ModalDriver::ChooseFile(Output("damaged.mp3")));
        driver->Then(ModalDriver::Acknowledge(message));
        const auto form = Open({cue}, {"D:\\Track01.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(driver->Done(), 20000);
        QTRY_COMPARE(message, QString::fromStdString(
                                  "The disc could not be read at sector 225 (error 5): "
                                  "sector 250 is not in \"" +
                                  cue.substr(0, cue.size() - 4) + ".bin\", which ends before it"));
        QVERIFY(form->isVisible());
        QVERIFY(!std::filesystem::exists(Output("damaged.mp3").toStdString()));
    }

    void aMissingStartTrackIsReportedInsteadOfAStalledBar() {
        const auto cue = images->Make("disc", {"audio:1"});
        QString message;
        driver->Then(ModalDriver::ChooseFile(Output("none.mp3")));
        driver->Then(ModalDriver::Acknowledge(message));
        const auto form = Open({cue}, {"D:\\Track07.cda"});
        QTRY_VERIFY_WITH_TIMEOUT(driver->Done(), 20000);
        QTRY_COMPARE(message, QString("The start track out of range"));
        QVERIFY(form->isVisible());
        QVERIFY(!std::filesystem::exists(Output("none.mp3").toStdString()));
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::FormTest)
#include "form_test.moc"
