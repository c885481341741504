#include "app/about_box.h"
#include "app/form1.h"
#include "app/hot_spot.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <algorithm>

namespace kestrune::test {

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheProductTheMakerAndTheLinks() {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QString("About Kestrune"));
        QCOMPARE(box.size(), QSize(298, 216));
        QCOMPARE(box.findChild<QLabel*>("ProductName")->text(), QString("Product Name: Kestrune"));
        QCOMPARE(box.findChild<QLabel*>("Version")->text(), QString("Version 1.0"));
        QCOMPARE(box.findChild<QLabel*>("Label1")->text(), QString("Velmora DG"));
        QCOMPARE(box.www_label()->text(), QString("www.velmora.example"));
        QVERIFY(box.www_label()->font().underline());
        QCOMPARE(box.www_label()->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(box.www_label()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(box.OKButton()->geometry(), QRect(215, 188, 75, 25));
        QVERIFY(box.OKButton()->isDefault());
        QCOMPARE(box.findChild<QLabel*>("ProgramIcon")->pixmap().size(), QSize(85, 110));
    }

    void theMailLinkIsAHundredWideAndThePanelHasAnEtchedBevel() {
        TAboutBox box;
        // 100 wide, or as wide as the desktop's font needs to show all of it.
        QLabel* const mail = box.email_label();
        QCOMPARE(mail->geometry(), QRect(112, 97, std::max(100, mail->sizeHint().width()), 13));
        // Lowered outer bevel, raised inner one: on the top edge the outer line is
        // the shadow and the inner one the light, and the other way round at the
        // bottom.
        auto* const panel = box.findChild<QFrame*>("Panel1");
        QVERIFY(panel != nullptr);
        QCOMPARE(panel->geometry(), QRect(8, 8, 281, 177));
        QImage face(panel->size(), QImage::Format_RGB32);
        panel->render(&face);
        const int x = panel->width() / 2;
        const int bottom = panel->height() - 1;
        const auto lightness = [&](int y) { return QColor(face.pixel(x, y)).lightness(); };
        QVERIFY2(lightness(0) < lightness(1), "top: shadow outside, light inside");
        QVERIFY2(lightness(bottom) > lightness(bottom - 1), "bottom: light outside, shadow inside");
        const int right = panel->width() - 1;
        const auto lightnessAt = [&](int px) {
            return QColor(face.pixel(px, panel->height() / 2)).lightness();
        };
        QVERIFY2(lightnessAt(0) < lightnessAt(1), "left: shadow outside, light inside");
        QVERIFY2(lightnessAt(right) > lightnessAt(right - 1), "right: light outside");
    }

    void theBoxIsCentredOnTheScreenNotOnItsOwner() {
        QWidget owner;
        owner.setGeometry(10, 10, 120, 60);
        owner.show();
        TAboutBox box(&owner);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint centre = box.screen()->availableGeometry().center();
        QVERIFY2((box.frameGeometry().center() - centre).manhattanLength() <= 2,
                 qPrintable(QString("box centre %1,%2, screen centre %3,%4")
                                .arg(box.frameGeometry().center().x())
                                .arg(box.frameGeometry().center().y())
                                .arg(centre.x())
                                .arg(centre.y())));
    }

    void enterClosesTheBoxAndEscapeDoesNot() {
        TAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void linksOpenTheAddressesAsWrittenAndTheBoxStaysOpen() {
        TAboutBox box;
        std::vector<QUrl> opened;
        box.SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.www_label(), Qt::LeftButton);
        QTest::mouseClick(box.email_label(), Qt::LeftButton);
        QCOMPARE(opened.size(), std::size_t{2});
        QCOMPARE(opened[0].toString(), QString("www.velmora.example"));
        QVERIFY(opened[0].scheme().isEmpty());
        QCOMPARE(opened[1].toString(), QString("mailto:kestrune@velmora.example"));
        QVERIFY(box.isVisible());
    }

    void theWindowShowsAFreshBoxEachTime() {
        DiscImages images;
        UseDrives({images.Make("disc", {"audio:1"})});
        TForm1 form({"D:\\Track01.cda"});
        ModalDriver driver;
        std::vector<QPointer<QWidget>> shown;
        for (int time = 0; time < 2; ++time) {
            driver.Then([&](QWidget& modal) {
                shown.emplace_back(&modal);
                QVERIFY(qobject_cast<TAboutBox*>(&modal) != nullptr);
                QTest::keyClick(&modal, Qt::Key_Return);
            });
            QTest::mouseClick(&form.AboutButton(), Qt::LeftButton);
        }
        QCOMPARE(shown.size(), std::size_t{2});
        QVERIFY2(shown[0].isNull(), "destroyed after its showing");
        QVERIFY(shown[1].isNull());
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::AboutBoxTest)
#include "about_box_test.moc"
