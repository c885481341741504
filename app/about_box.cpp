#include "app/about_box.h"

#include "app/artwork.h"
#include "app/program_texts.h"
#include "platform/shell_open.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace kestrune {

namespace {

QLabel* MakeLabel(QWidget* Parent, const QString& Text, const QRect& Geometry) {
    auto* const label = new QLabel(Text, Parent);
    // Sized to its text like an auto-sized label: the desktop's font may be
    // wider than the one the layout was drawn for.
    label->setGeometry(Geometry.x(), Geometry.y(),
                       std::max(Geometry.width(), label->sizeHint().width()), Geometry.height());
    return label;
}

QLabel* MakeLink(QWidget* Parent, const QString& Text, const QRect& Geometry) {
    QLabel* const label = MakeLabel(Parent, Text, Geometry);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

// Qt's parent-child ownership frees every child widget with the box.
TAboutBox::TAboutBox(QWidget* AParent)
    : QDialog(AParent), FOpenUrl([](const QUrl& Url) { platform::ShellOpen(Url); }) {
    setObjectName("AboutBox");
    setWindowTitle("About Kestrune");
    setWindowIcon(ProgramIcon());
    setFixedSize(298, 216);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    auto* const panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(8, 8, 281, 177);
    // A lowered outer bevel around a raised inner one: an etched line.
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);

    auto* const picture = new QLabel(panel);
    picture->setObjectName("ProgramIcon");
    picture->setGeometry(8, 8, 89, 121);
    picture->setPixmap(ProgramPicture());
    picture->setScaledContents(true);

    MakeLabel(panel, "Product Name: Kestrune", QRect(112, 8, 143, 13))
        ->setObjectName("ProductName");
    MakeLabel(panel, "Version 1.0", QRect(112, 24, 53, 13))->setObjectName("Version");
    MakeLabel(panel, MakerName, QRect(112, 56, 134, 13))->setObjectName("Label1");
    FWwwLabel = MakeLink(panel, MakerWebAddress, QRect(112, 80, 140, 13));
    FWwwLabel->setObjectName("www_label");
    FEmailLabel = MakeLink(panel, MakerEmail, QRect(112, 97, 100, 13));
    FEmailLabel->setObjectName("email_label");
    FWwwLabel->installEventFilter(this);
    FEmailLabel->installEventFilter(this);

    FOKButton = new QPushButton("OK", this);
    FOKButton->setObjectName("OKButton");
    FOKButton->setGeometry(215, 188, 75, 25);
    FOKButton->setDefault(true);
    FOKButton->setAutoDefault(true);
    connect(FOKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::www_labelClick() {
    // Passed as written, without a scheme; the platform's opener resolves it as
    // the shell does. What comes of the request is not looked at.
    FOpenUrl(QUrl(QString(MakerWebAddress)));
}

void TAboutBox::email_labelClick() {
    FOpenUrl(QUrl(QString("mailto:") + MakerEmail));
}

void TAboutBox::closeEvent(QCloseEvent* Event) {
    // The frame's close button ends the showing like OK does.
    Event->accept();
    done(QDialog::Accepted);
}

void TAboutBox::showEvent(QShowEvent* Event) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
    QDialog::showEvent(Event);
}

bool TAboutBox::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton) {
        if (Watched == FWwwLabel) {
            www_labelClick();
            return true;
        }
        if (Watched == FEmailLabel) {
            email_labelClick();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

} // namespace kestrune
