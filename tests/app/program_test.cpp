// The program as a whole: one running copy, and a library that cannot be loaded.

#include "app/kestrune_program.h"
#include "mp3out/lame_binding.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace kestrune::test {

class ProgramTest : public QObject {
    Q_OBJECT

private:
    // kestrune on a disc image, waiting at its save dialog, with its own lock folder.
    static void Start(QProcess& Process, const QString& LockFolder, const std::string& Cue) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", LockFolder);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("DISCREAD_DRIVES", QString::fromStdString(Cue));
        Process.setProcessEnvironment(environment);
        Process.start(KESTRUNE, {"D:\\Track01.cda"});
    }

private slots:
    void aSecondCopyEndsSilentlyAndAKilledOneLocksNobodyOut() {
        DiscImages images;
        const auto cue = images.Make("disc", {"audio:1"});
        QTemporaryDir locks;
        QProcess first;
        Start(first, locks.path(), cue);
        QVERIFY(first.waitForStarted());
        QTest::qWait(1500); // up and holding the lock, at its save dialog

        QProcess second;
        Start(second, locks.path(), cue);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAll().isEmpty());
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QProcess third;
        Start(third, locks.path(), cue);
        QVERIFY(third.waitForStarted());
        QVERIFY(!third.waitForFinished(1500)); // it runs: the lock died with the first
        third.kill();
        third.waitForFinished(10000);
    }

    void aLockThatCannotBeMadeIsReportedAndTheProgramRunsAnyway() {
        DiscImages images;
        const auto cue = images.Make("disc", {"audio:1"});
        QTemporaryDir folder;
        // The place for the private lock folder is taken by a plain file.
        const QString temp = folder.filePath("temp");
        QFile(temp).open(QIODevice::WriteOnly);
        QProcess copy;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("XDG_RUNTIME_DIR");
        environment.insert("TMPDIR", temp);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("DISCREAD_DRIVES", QString::fromStdString(cue));
        copy.setProcessEnvironment(environment);
        copy.start(KESTRUNE, {"D:\\Track01.cda"});
        QVERIFY(copy.waitForStarted());
        QVERIFY(!copy.waitForFinished(1500)); // it runs, at its save dialog
        const QString errors = copy.readAllStandardError();
        QVERIFY2(errors.contains("kestrune: running without the single-copy lock: "),
                 qPrintable(errors));
        QVERIFY2(errors.contains(temp), qPrintable(errors));
        copy.kill();
        copy.waitForFinished(10000);
    }

    void aMissingEncoderLibraryEndsTheProgramWithItsMessage() {
        DiscImages images;
        UseDrives({images.Make("disc", {"audio:1"})});
        SetEncoderLibraryFileName("libmp3lame-missing.so.0");
        ModalDriver driver;
        QString message;
        driver.Then(ModalDriver::Acknowledge(message));
        const int status = RunKestrune({"D:\\Track01.cda"});
        SetEncoderLibraryFileName("libmp3lame.so.0");
        QCOMPARE(status, 1);
        QCOMPARE(message, QString("lame_enc.dll library could not be loaded."));
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::ProgramTest)
#include "program_test.moc"
