// The main window's face: where every control sits, what it says on hover,
// which handler a click on it runs, and how the bar looks on the window.

#include "app/about_box.h"
#include "app/face_picture.h"
#include "app/font_substitutes.h"
#include "app/form1.h"
#include "app/hot_spot.h"
#include "app/panel.h"
#include "platform/qt_main_thread.h"
#include "platform/test_tray_shell.h"
#include "progressbar/turn_100_field.h"
#include "progressbar/turn_progress.h"
#include "progressbar/turn_progress_bar.h"
#include "tests/app/modal_driver.h"
#include "tests/support/disc_images.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace kestrune::test {

class FaceTest : public QObject {
    Q_OBJECT

private:
    platform::QtMainThreadPump pump;
    std::unique_ptr<DiscImages> images;
    std::unique_ptr<ModalDriver> driver;
    std::unique_ptr<TForm1> form;

    // The colour of the window pixel at Point of a grab, on a screen of any density.
    static QColor At(const QImage& Image, QPoint Point) {
        const qreal ratio = Image.devicePixelRatio();
        return Image.pixelColor(int((Point.x() + 0.5) * ratio), int((Point.y() + 0.5) * ratio));
    }

    THotSpot& HotSpot(const QString& Name) const {
        auto* const spot = form->findChild<THotSpot*>(Name);
        if (spot == nullptr) {
            qFatal("no hot spot %s", qPrintable(Name));
        }
        return *spot;
    }

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        SubstituteMissingFonts();
    }
    void init() {
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
    }

    void theWindowIsBorderlessOfItsSizeAtItsPlace() {
        QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form->size(), QSize(313, 61));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(form->pos(), QPoint(395, 295));
        QCOMPARE(form->windowTitle(), QString("Kestrune v 1.0"));
        QCOMPARE(form->font().family(), QString("MS Sans Serif"));
        QCOMPARE(form->font().pixelSize(), 11);
    }

    void everyControlSitsInThePanelAtWindowCoordinates_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("bounds");
        QTest::newRow("Image1") << "Image1" << QRect(2, 2, 309, 57);
        QTest::newRow("StopButton") << "StopButton" << QRect(173, 40, 36, 15);
        QTest::newRow("AboutButton") << "AboutButton" << QRect(272, 40, 36, 15);
        QTest::newRow("MinimizeButton") << "MinimizeButton" << QRect(282, 4, 15, 13);
        QTest::newRow("CloseButton") << "CloseButton" << QRect(298, 3, 12, 13);
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(176, 16, 130, 20);
        QTest::newRow("StaticText1") << "StaticText1" << QRect(207, 19, 82, 16);
    }
    void everyControlSitsInThePanelAtWindowCoordinates() {
        QFETCH(QString, name);
        QFETCH(QRect, bounds);
        QCOMPARE(form->Panel1().geometry(), QRect(0, 0, 313, 61));
        auto* const control = form->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget(), &form->Panel1());
        QCOMPARE(control->geometry(), bounds);
    }

    void hotSpotsAreBlankWithAHandCursorAndTheirHint_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::newRow("StopButton") << "StopButton"
                                    << "Stop/Pause";
        QTest::newRow("AboutButton") << "AboutButton"
                                     << "Show about box";
        QTest::newRow("MinimizeButton") << "MinimizeButton"
                                        << "Minimize to tray";
        QTest::newRow("CloseButton") << "CloseButton"
                                     << "Close program";
    }
    void hotSpotsAreBlankWithAHandCursorAndTheirHint() {
        QFETCH(QString, name);
        QFETCH(QString, hint);
        THotSpot& spot = HotSpot(name);
        QCOMPARE(spot.toolTip(), hint);
        QCOMPARE(spot.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!spot.text().isEmpty());
        QVERIFY(spot.text().trimmed().isEmpty());
        QVERIFY(spot.isVisible());
        // Nothing of the label covers the face: the window looks the same
        // with and without it.
        const QImage with = form->grab().toImage();
        spot.hide();
        const QImage without = form->grab().toImage();
        spot.show();
        QCOMPARE(with, without);
    }

    void aClickIsAPressAndAReleaseOnTheSpot() {
        THotSpot& spot = form->StopButton();
        QSignalSpy clicks(&spot, &THotSpot::clicked);
        QTest::mouseClick(&spot, Qt::LeftButton);
        QCOMPARE(clicks.size(), 1);
        QTest::mouseClick(&spot, Qt::RightButton);
        QCOMPARE(clicks.size(), 1);
        // Moved off before letting go: no click.
        QTest::mousePress(&spot, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&spot, Qt::LeftButton, {}, QPoint(60, 5));
        QCOMPARE(clicks.size(), 1);
    }

    void theStopSpotPausesAndResumes() {
        // Idle, the first click takes the run up again; the second holds it.
        QVERIFY(!form->RipRunning());
        QTest::mouseClick(&form->StopButton(), Qt::LeftButton);
        QVERIFY(form->RipRunning());
        QVERIFY(!form->StaticText1().isVisible());
        QTest::mouseClick(&form->StopButton(), Qt::LeftButton);
        QVERIFY(!form->RipRunning());
        QVERIFY(form->StaticText1().isVisible());
        QCOMPARE(form->StaticText1().text(), QString("    PAUSE    "));
    }

    void theAboutSpotShowsAFreshModalBox() {
        QPointer<QWidget> shown;
        driver->Then([&](QWidget& modal) {
            shown = &modal;
            QVERIFY(qobject_cast<TAboutBox*>(&modal) != nullptr);
            QVERIFY(modal.isModal());
            QCOMPARE(modal.parent(), form.get());
            QTest::keyClick(&modal, Qt::Key_Return);
        });
        QTest::mouseClick(&form->AboutButton(), Qt::LeftButton);
        QVERIFY(driver->Done());
        QVERIFY2(shown.isNull(), "destroyed when it returns");
    }

    void theTickSpotHidesTheWindowToTheTray() {
        // A notification area, in place of the desktop's.
        const platform::TestTrayShell tray;
        QTest::mouseClick(&form->MinimizeButton(), Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QVERIFY(!form->isMinimized());
        form->TrayIcon1Click();
        QTRY_VERIFY(form->isVisible());
    }

    // Without one nothing could bring a hidden window back.
    void withoutANotificationAreaTheTickSpotMinimisesTheWindow() {
        QTest::mouseClick(&form->MinimizeButton(), Qt::LeftButton);
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        form->TrayIcon1Click();
        QTRY_VERIFY(!form->isMinimized());
    }

    void theCrossSpotShowsTheStopTextAndClosesTheWindow() {
        QTest::mouseClick(&form->CloseButton(), Qt::LeftButton);
        QCOMPARE(form->StaticText1().text(), QString("WAIT. CD STOP"));
        QVERIFY(!form->isVisible());
    }

    void theStatusTextIsBoldGreenTerminalOnTheBarsColour() {
        QLabel& text = form->StaticText1();
        QVERIFY(!text.isVisible());
        QCOMPARE(text.text(), QString("WAIT. CD STOP"));
        QCOMPARE(text.font().family(), QString("Terminal"));
        QVERIFY(text.font().bold());
        QCOMPARE(text.font().pixelSize(), 11);
        QVERIFY(text.autoFillBackground());
        QCOMPARE(text.palette().color(QPalette::Window), QColor(188, 205, 180));
        QCOMPARE(text.palette().color(QPalette::WindowText), QColor(0, 128, 0));
        // The stored name stays; what is drawn is an installed screen font.
        const QFontInfo drawn(text.font());
        QVERIFY2(drawn.family() != "Terminal", qPrintable(drawn.family()));
        QVERIFY2(drawn.fixedPitch(), qPrintable(drawn.family()));
        text.show();
        const QImage shown = text.grab().toImage();
        QCOMPARE(At(shown, QPoint(1, 1)), QColor(188, 205, 180));
        bool green = false;
        for (int x = 0; x < shown.width() && !green; ++x) {
            for (int y = 0; y < shown.height() && !green; ++y) {
                const QColor pixel = shown.pixelColor(x, y);
                green = pixel.green() < 150 && pixel.red() < 60 && pixel.blue() < 60;
            }
        }
        QVERIFY2(green, "the caption is written in green");
    }

    void theFacePictureIsDrawnAtTheScreensDensity_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1") << 1.0;
        QTest::newRow("2") << 2.0;
        QTest::newRow("1.5") << 1.5;
    }
    void theFacePictureIsDrawnAtTheScreensDensity() {
        QFETCH(qreal, ratio);
        const QPixmap picture = FacePicture(ratio);
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(312, 56));
        QCOMPARE(picture.size(), QSize(qRound(312 * ratio), qRound(56 * ratio)));
        QCOMPARE(picture.devicePixelRatio(), ratio);
        QVERIFY(picture.toImage().depth() == 32);
    }

    void theImageShowsThePictureUnscaledFromTheTopLeft() {
        const QLabel& image = form->Image1();
        QVERIFY(!image.hasScaledContents());
        QCOMPARE(image.alignment(), Qt::AlignLeft | Qt::AlignTop);
        const QPixmap shown = image.pixmap();
        QCOMPARE(shown.deviceIndependentSize(), QSizeF(312, 56));
        // Drawn for the screen the window is on, not scaled up from one pixel.
        QCOMPARE(shown.devicePixelRatio(), form->devicePixelRatioF());
        // The painted keys are where the hot spots are: the picture is not a
        // flat plate under them.
        const QImage face = shown.toImage();
        for (const QRect& key :
             {face::StopFace, face::AboutFace, face::TickFace, face::CrossFace}) {
            const QColor middle = face.pixelColor(key.center());
            const QColor edge = face.pixelColor(key.left(), key.center().y());
            QVERIFY(middle != edge || face.pixelColor(key.center() + QPoint(0, 3)) != middle);
        }
        QCOMPARE(QRect(form->StopButton().geometry()).translated(-2, -2), face::StopFace);
        QCOMPARE(QRect(form->AboutButton().geometry()).translated(-2, -2), face::AboutFace);
        QCOMPARE(QRect(form->MinimizeButton().geometry()).translated(-2, -2), face::TickFace);
        QCOMPARE(QRect(form->CloseButton().geometry()).translated(-2, -2), face::CrossFace);
    }

    void percent37ShowsTheDigitsAndTheGradientOnTheWindow() {
        TTurnProgressBar& bar = form->ProgressBar1();
        QCOMPARE(bar.Percent(), 0);
        const QImage before = form->grab().toImage();
        bar.SetPercent(37);
        QCOMPARE(bar.NumberField().Text(), QString("037"));
        const QImage after = form->grab().toImage();

        // The digits changed where the number field sits on the window.
        const QRect digits(bar.mapTo(form.get(), bar.NumberField().geometry().topLeft()),
                           bar.NumberField().size());
        const qreal ratio = after.devicePixelRatio();
        const QRect deviceDigits(digits.topLeft() * ratio, digits.size() * ratio);
        QVERIFY(before.copy(deviceDigits) != after.copy(deviceDigits));

        // Along the middle of the progress field, the filled part is green and
        // about 37 % of the field; the rest is the field's window colour.
        const QRect field(bar.mapTo(form.get(), bar.ProgressField().geometry().topLeft()),
                          bar.ProgressField().size());
        const int row = field.center().y();
        const QColor empty = At(after, QPoint(field.right() - 3, row));
        int filled = 0;
        int inside = 0;
        for (int x = field.left() + 3; x <= field.right() - 3; ++x) {
            const QColor pixel = At(after, QPoint(x, row));
            ++inside;
            if (pixel != empty) {
                QVERIFY2(pixel.green() > pixel.red() && pixel.green() > pixel.blue(),
                         qPrintable(QString("column %1").arg(x)));
                ++filled;
            }
        }
        QVERIFY2(std::abs(filled * 100 / inside - 37) <= 4,
                 qPrintable(QString("%1 of %2").arg(filled).arg(inside)));
        // A gradient: the fill is not one colour.
        QVERIFY(At(after, QPoint(field.left() + 3, row)) !=
                At(after, QPoint(field.left() + 3 + filled - 2, row)));
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::FaceTest)
#include "face_test.moc"
