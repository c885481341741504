// The About box's links through the desktop's real opener, on a real window
// system (the offscreen platform opens nothing), with a stand-in for the
// system's xdg-open that writes down what it was asked to open.

#include "app/about_box.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

namespace kestrune::test {

class DesktopLinkTest : public QObject {
    Q_OBJECT

private slots:
    void theWebLinkOpensAsAWebPageAndTheMailLinkAsMail() {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString opened = bin.filePath("opened");
        const QString opener = bin.filePath("xdg-open");
        std::ofstream(opener.toStdString())
            << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened.toStdString() << "'\n";
        QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + qgetenv("PATH"));
        qunsetenv("BROWSER");

        TAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.www_label(), Qt::LeftButton);
        QTest::mouseClick(box.email_label(), Qt::LeftButton);
        const auto lines = [&] {
            QFile file(opened);
            return file.open(QIODevice::ReadOnly)
                       ? QString(file.readAll()).split('\n', Qt::SkipEmptyParts)
                       : QStringList();
        };
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 20000);
        QVERIFY2(lines().contains("http://www.velmora.example"), qPrintable(lines().join(' ')));
        QVERIFY2(lines().contains("mailto:kestrune@velmora.example"),
                 qPrintable(lines().join(' ')));
        QVERIFY(box.isVisible());
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::DesktopLinkTest)
#include "desktop_link_test.moc"
