#include "app/form1.h"

#include "app/about_box.h"
#include "app/artwork.h"
#include "app/plain_progress_bar.h"
#include "app/program_texts.h"
#include "app/track_argument.h"
#include "platform/main_thread.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <memory>
#include <thread>

namespace kestrune {

namespace {

constexpr const char* PauseCaption = "    PAUSE    ";
constexpr const char* StopCaption = "WAIT. CD STOP";

} // namespace

// Widgets belong to the window through Qt's parent-child ownership; the rip's
// components belong to FComponents and go in reverse order of creation.
TForm1::TForm1(std::vector<std::string> Arguments, QWidget* AParent)
    : QWidget(AParent), FArguments(std::move(Arguments)) {
    setWindowTitle("Kestrune v 1.0");
    setWindowIcon(ProgramIcon());
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    auto* const layout = new QVBoxLayout(this);
    auto* const title = new QLabel("<b>Kestrune</b> 1.0", this);
    layout->addWidget(title);
    FProgressBar1 = new TPlainProgressBar(this);
    FProgressBar1->setObjectName("ProgressBar1");
    layout->addWidget(FProgressBar1);
    FStaticText1 = new QLabel(StopCaption, this);
    FStaticText1->setObjectName("StaticText1");
    FStaticText1->setAlignment(Qt::AlignCenter);
    // Its place stays kept while it is hidden, so the buttons never move.
    QSizePolicy keepPlace = FStaticText1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    FStaticText1->setSizePolicy(keepPlace);
    FStaticText1->hide();
    layout->addWidget(FStaticText1);
    auto* const buttons = new QHBoxLayout();
    FStopButton = new QPushButton("Stop/Pause", this);
    FStopButton->setToolTip("Stop/Pause");
    FAboutButton = new QPushButton("About", this);
    FAboutButton->setToolTip("Show about box");
    FCloseButton = new QPushButton("Close", this);
    FCloseButton->setToolTip("Close program");
    for (QPushButton* button : {FStopButton, FAboutButton, FCloseButton}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(FStopButton, &QPushButton::clicked, this, &TForm1::StopButtonClick);
    connect(FAboutButton, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(FCloseButton, &QPushButton::clicked, this, &TForm1::CloseButtonClick);

    // The rip's components, with the values the window stores for them.
    FComponents.BeginLoading();
    FCDIn1 = &TComponent::Create<TCDIn>(FComponents);
    FCDIn1->SetName("CDIn1");
    FCDIn1->SetCurrentDrive(0);
    FCDIn1->SetStartTrack(1);
    FCDIn1->SetEndTrack(1);
    FDeemphasis1 = &TComponent::Create<TCDDeemphasis>(FComponents);
    FDeemphasis1->SetName("Deemphasis1");
    FDeemphasis1->SetInput(FCDIn1);
    FMP3Out1 = &TComponent::Create<TMP3Out>(FComponents);
    FMP3Out1->SetName("MP3Out1");
    FMP3Out1->SetInput(FDeemphasis1);
    FMP3Out1->SetSuspendWhenIdle(true);
    FMP3Out1->SetOnDone([this](TComponent& Sender) { MP3Out1Done(Sender); });
    FMP3Out1->SetOnProgress([this](TComponent& Sender) { MP3Out1Progress(Sender); });
    FMP3Out1->SetOnThreadException([this](TComponent&, const std::exception& E) {
        // On the worker (or inside Start): the message box waits for the main
        // thread's loop, and the worker does not wait for the user.
        QMetaObject::invokeMethod(
            this, [this, message = std::string(E.what())] { MP3Out1ThreadException(message); },
            Qt::QueuedConnection);
    });
    FMP3Out1->SetFileMode(TFileOutputMode::foRewrite);
    FMP3Out1->SetBitRate(TMP3BitRate::br128);
    FMP3Out1->SetId3TagAlbum(MakerWebAddress);
    FMP3Out1->SetId3TagComment(ProgramTagComment);
    FComponents.LoadedComponents();

    FSaveDialog1 = new QFileDialog(this);
    FSaveDialog1->setObjectName("SaveDialog1");
    FSaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    FSaveDialog1->setDefaultSuffix("mp3");
    FSaveDialog1->setNameFilter("Mp3 files (*.mp3)");
    // The same dialog on every desktop, and one a test can drive.
    FSaveDialog1->setOption(QFileDialog::DontUseNativeDialog);
}

TForm1::~TForm1() = default;

bool TForm1::event(QEvent* Event) {
    if (Event->type() == QEvent::WindowActivate && !FActivated) {
        // Once per run: dialogs and message boxes hand the focus back without
        // asking again. Queued so the activation finishes before the dialog.
        FActivated = true;
        QMetaObject::invokeMethod(this, &TForm1::FormActivate, Qt::QueuedConnection);
    }
    return QWidget::event(Event);
}

void TForm1::FormActivate() {
    StartProcess();
}

void TForm1::StartProcess() {
    if (FSaveDialog1->exec() != QDialog::Accepted || FSaveDialog1->selectedFiles().isEmpty()) {
        return;
    }
    const std::string argument = FArguments.empty() ? std::string() : FArguments.front();
    if (CharactersOf(argument, 4, 5) != "Track") {
        ShowMessage("There is no valid Track file name like Track01.cda");
        FCDIn1->CloseSource();
        close();
        return;
    }
    int track = 0;
    try {
        track = StrToInt(CharactersOf(argument, 9, 2));
    } catch (const EConvertError& e) {
        QMessageBox::critical(this, ProgramTitle, e.what());
        return;
    }
    try {
        FCDIn1->SetStartTrack(track);
        FCDIn1->SetEndTrack(FCDIn1->StartTrack());
    } catch (const std::exception& e) {
        // A second request while a rip runs: the busy source refuses it.
        QMessageBox::critical(this, ProgramTitle, e.what());
        return;
    }
    FMP3Out1->SetFileName(FSaveDialog1->selectedFiles().front().toStdString());
    if (FCDIn1->DriveState() != TDriveState::dsNoDisc &&
        FCDIn1->DiscContent() == TDiscContent::dcAudio) {
        FRipRunning = true;
        FMP3Out1->Start();
        return;
    }
    ShowMessage("This is not an audio CD in Drive or Disc protected");
    FCDIn1->CloseSource();
    close();
}

void TForm1::StopButtonClick() {
    if (FRipRunning) {
        FProgressBar1->SetPercent(0);
        FMP3Out1->Pause();
        FRipRunning = false;
        ShowStatus(PauseCaption);
    } else {
        // The bar shows where the run stands again at once, not only at the
        // next change of the percentage.
        FProgressBar1->SetPercent(FMP3Out1->Busy() ? FMP3Out1->Progress() : 0);
        HideStatus();
        FMP3Out1->Resume();
        FRipRunning = true;
    }
}

void TForm1::CloseButtonClick() {
    if (!FRipRunning) {
        FMP3Out1->Resume();
    }
    FMP3Out1->Stop();
    FProgressBar1->SetPercent(0);
    ShowStatus(StopCaption);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    // A slow drive may still be reading: the source is closed only once the run
    // has really ended, and the worker's calls are run meanwhile.
    platform::WaitOnMainThread([this] { return !FMP3Out1->Busy(); });
    FCDIn1->CloseSource();
    close();
}

void TForm1::Button1Click() {
    const auto box = std::make_unique<TAboutBox>(this);
    box->exec();
}

void TForm1::MP3Out1Progress(TComponent&) {
    FProgressBar1->SetPercent(FMP3Out1->Progress());
}

void TForm1::MP3Out1Done(TComponent&) {
    FCDIn1->CloseSource();
    close();
}

void TForm1::MP3Out1ThreadException(const std::string& Message) {
    FRipRunning = false;
    FProgressBar1->SetPercent(0);
    HideStatus();
    QMessageBox::critical(this, ProgramTitle, QString::fromStdString(Message));
}

void TForm1::ShowStatus(const QString& Caption) {
    FStaticText1->setText(Caption);
    FStaticText1->show();
    FStaticText1->repaint();
}

void TForm1::HideStatus() {
    FStaticText1->hide();
    repaint();
}

void TForm1::ShowMessage(const QString& Text) {
    QMessageBox box(QMessageBox::NoIcon, ProgramTitle, Text, QMessageBox::Ok, this);
    box.exec();
}

} // namespace kestrune
