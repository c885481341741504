// The program as a whole: one running copy, and a library that cannot be loaded.

#include "app/kestrune_program.h"
#include "mp3out/lame_binding.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

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

    // Whether the process Pid holds the lock file Path: /proc/locks lists each
    // flock with its owner and inode, and looking there takes no lock that
    // could make the program think another copy runs.
    static bool HoldsLock(qint64 Pid, const QString& Path) {
        struct stat info {};
        if (::stat(Path.toLocal8Bit().constData(), &info) != 0) {
            return false;
        }
        std::ifstream locks("/proc/locks");
        std::string line;
        while (std::getline(locks, line)) {
            // "1: FLOCK  ADVISORY  WRITE 4711 08:01:1234 0 EOF"
            std::istringstream fields(line);
            std::string id, kind, advisory, mode, device;
            long long pid = 0;
            fields >> id >> kind >> advisory >> mode >> pid >> device;
            const auto inode = device.substr(device.rfind(':') + 1);
            if (kind == "FLOCK" && pid == Pid && inode == std::to_string(info.st_ino)) {
                return true;
            }
        }
        return false;
    }
    static QString LockFile(const QString& Folder) { return Folder + "/Kesta.lock"; }

private slots:
    void aSecondCopyEndsSilentlyAndAKilledOneLocksNobodyOut() {
        DiscImages images;
        const auto cue = images.Make("disc", {"audio:1"});
        QTemporaryDir locks;
        QProcess first;
        Start(first, locks.path(), cue);
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(HoldsLock(first.processId(), LockFile(locks.path())), 15000);

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
        // It runs: the lock died with the first.
        QTRY_VERIFY_WITH_TIMEOUT(HoldsLock(third.processId(), LockFile(locks.path())), 15000);
        QCOMPARE(third.state(), QProcess::Running);
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
        // The reason comes before the window does; the program then runs on.
        QString errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += copy.readAllStandardError()).contains(temp) ||
                                     copy.state() != QProcess::Running,
                                 15000);
        QVERIFY2(errors.contains("kestrune: running without the single-copy lock: "),
                 qPrintable(errors));
        QVERIFY2(errors.contains(temp), qPrintable(errors));
        QCOMPARE(copy.state(), QProcess::Running);
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
