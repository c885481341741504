#include "app/form1.h"

#include "app/about_box.h"
#include "app/artwork.h"
#include "app/desktop_argument.h"
#include "app/face_picture.h"
#include "app/hot_spot.h"
#include "app/panel.h"
#include "app/program_texts.h"
#include "app/track_argument.h"
#include "app/track_chooser.h"
#include "platform/main_thread.h"
#include "platform/system_colors.h"
#include "progressbar/turn_progress_bar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QStandardPaths>

#include <cctype>
#include <chrono>
#include <memory>
#include <optional>
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
    SetUpWindow();
    CreateFace();
    // The rip's components are created first, then given their stored values
    // while they know they are loading, then told that loading is over.
    CreateRipComponents();
    FComponents.BeginLoading();
    LoadRipComponents();
    CreateTray();
    FComponents.LoadedComponents();
    CreateSaveDialog();
}

void TForm1::SetUpWindow() {
    setWindowTitle("Kestrune v 1.0");
    setWindowIcon(ProgramIcon());
    // No frame and no move or resize handling of its own; placed before it is
    // shown so a window manager that honours a program's position puts it there.
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(313, 61);
    move(395, 295);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
}

void TForm1::CreateRipComponents() {
    FCDIn1 = &TComponent::Create<TCDIn>(FComponents);
    FDeemphasis1 = &TComponent::Create<TCDDeemphasis>(FComponents);
    FMP3Out1 = &TComponent::Create<TMP3Out>(FComponents);
}

// The values the window stores for the rip's components.
void TForm1::LoadRipComponents() {
    FCDIn1->SetName("CDIn1");
    FCDIn1->SetCurrentDrive(0);
    FCDIn1->SetStartTrack(1);
    FCDIn1->SetEndTrack(1);
    FDeemphasis1->SetName("Deemphasis1");
    FDeemphasis1->SetInput(FCDIn1);
    FMP3Out1->SetName("MP3Out1");
    FMP3Out1->SetInput(FDeemphasis1);
    FMP3Out1->SetSuspendWhenIdle(true);
    FMP3Out1->SetOnDone([this](TComponent& Sender) { MP3Out1Done(Sender); });
    FMP3Out1->SetOnProgress([this](TComponent& Sender) { MP3Out1Progress(Sender); });
    FMP3Out1->SetOnThreadException([this](TComponent&, const std::exception& E) {
        FRunEnded = true;
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
}

void TForm1::CreateTray() {
    FPopupMenu1 = new TPopupMenu(this);
    FPopupMenu1->setObjectName("PopupMenu1");
    QAction* const about1 = FPopupMenu1->addAction("About");
    about1->setObjectName("About1");
    connect(about1, &QAction::triggered, this, &TForm1::About1Click);
    FTrayIcon1 = &TComponent::Create<TTrayIcon>(FComponents, this);
    FTrayIcon1->SetName("TrayIcon1");
    FTrayIcon1->SetIcon(ProgramIcon());
    FTrayIcon1->SetIconVisible(true);
    FTrayIcon1->SetIconIndex(0);
    FTrayIcon1->SetCycleInterval(0);
    FTrayIcon1->SetMinimizeToTray(true);
    FTrayIcon1->SetPopupMenu(FPopupMenu1);
    FTrayIcon1->SetOnClick([this](TComponent&) { TrayIcon1Click(); });
}

void TForm1::CreateSaveDialog() {
    FSaveDialog1 = new QFileDialog(this);
    FSaveDialog1->setObjectName("SaveDialog1");
    FSaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    FSaveDialog1->setDefaultSuffix("mp3");
    FSaveDialog1->setNameFilter("Mp3 files (*.mp3)");
    // The same dialog on every desktop, and one a test can drive.
    FSaveDialog1->setOption(QFileDialog::DontUseNativeDialog);
}

TForm1::~TForm1() = default;

// Every control sits inside Panel1 at window coordinates.
void TForm1::CreateFace() {
    FPanel1 = new TPanel(this);
    FPanel1->setObjectName("Panel1");
    FPanel1->setGeometry(rect());

    FImage1 = new QLabel(FPanel1);
    FImage1->setObjectName("Image1");
    FImage1->setGeometry(2, 2, 309, 57);
    FImage1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FImage1->setPixmap(FacePicture(devicePixelRatioF()));
    // The picture is a pixel shorter than the image: its bottom edge runs on
    // down to the bevel instead of leaving a silver line.
    FImage1->setAutoFillBackground(true);
    QPalette edge = FImage1->palette();
    edge.setColor(QPalette::Window, FaceEdgeColour());
    FImage1->setPalette(edge);

    FStopButton = new THotSpot("Stop/Pause", QRect(173, 40, 36, 15), FPanel1);
    FStopButton->setObjectName("StopButton");
    FAboutButton = new THotSpot("Show about box", QRect(272, 40, 36, 15), FPanel1);
    FAboutButton->setObjectName("AboutButton");
    FMinimizeButton = new THotSpot("Minimize to tray", QRect(282, 4, 15, 13), FPanel1);
    FMinimizeButton->setObjectName("MinimizeButton");
    FCloseButton = new THotSpot("Close program", QRect(298, 3, 12, 13), FPanel1);
    FCloseButton->setObjectName("CloseButton");
    connect(FStopButton, &THotSpot::clicked, this, &TForm1::StopButtonClick);
    connect(FAboutButton, &THotSpot::clicked, this, &TForm1::Button1Click);
    connect(FMinimizeButton, &THotSpot::clicked, this, &TForm1::MinimizeButtonClick);
    connect(FCloseButton, &THotSpot::clicked, this, &TForm1::CloseButtonClick);

    FProgressBar1 = new TTurnProgressBar(FPanel1);
    FProgressBar1->setObjectName("ProgressBar1");
    FProgressBar1->setGeometry(176, 16, 130, 20);
    FProgressBar1->SetColor(11849148);
    FProgressBar1->SetNFColor(clWindow);
    FProgressBar1->SetNFFieldNumberColor(4227072);
    FProgressBar1->SetNFFont(MakeTurnFont("Times New Roman", 16));
    FProgressBar1->SetPFColor(clWindow);
    FProgressBar1->SetPFProgressKind(TTurnProgressKind::pkGradient);
    FProgressBar1->SetPFMainColor(5089577);

    FStaticText1 = new QLabel(StopCaption, FPanel1);
    FStaticText1->setObjectName("StaticText1");
    FStaticText1->setGeometry(207, 19, 82, 16);
    FStaticText1->setAlignment(Qt::AlignCenter);
    FStaticText1->setAutoFillBackground(true);
    QPalette colours = FStaticText1->palette();
    colours.setColor(QPalette::Window, platform::ToQColor(11849148));
    colours.setColor(QPalette::WindowText, QColor(0, 128, 0));
    FStaticText1->setPalette(colours);
    QFont terminal("Terminal");
    terminal.setPixelSize(11);
    terminal.setBold(true);
    FStaticText1->setFont(terminal);
    FStaticText1->hide();
}

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
    std::string argument = FArguments.empty() ? std::string() : FArguments.front();
    // A Linux desktop names the drive and the track in forms of its own: read
    // as the track it names, the request then goes on by the program's rules.
    if (const auto request = ReadDesktopArgument(argument)) {
        const std::int32_t track = TakeDesktopRequest(*request);
        if (track == 0) {
            return;
        }
        argument = TrackArgument(track);
    }
    ProposeFileName(argument);
    if (FSaveDialog1->exec() != QDialog::Accepted || FSaveDialog1->selectedFiles().isEmpty()) {
        return;
    }
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
    if (FCDIn1->DriveState() != TDriveState::dsNoDisc && HoldsAudioTrack(track)) {
        // Now, not earlier: the libraries and tables the rip uses exist, and
        // an exit() that comes finishes the file before they go.
        platform::PrepareExitHooks();
        FRunEnded = false;
        FRipRunning = true;
        FMP3Out1->Start();
        return;
    }
    RefuseDisc();
}

std::int32_t TForm1::TakeDesktopRequest(const TDesktopRequest& Request) {
    if (!Request.Drive.empty()) {
        std::vector<std::string> drives;
        for (std::int32_t i = 0; i < FCDIn1->DriveCount(); ++i) {
            drives.push_back(FCDIn1->DriveName(i));
        }
        const std::optional<std::int32_t> drive = DriveIndexOf(Request.Drive, drives);
        if (!drive) {
            RefuseDisc();
            return 0;
        }
        FCDIn1->SetCurrentDrive(*drive);
    }
    return Request.Track != 0 ? Request.Track : ChooseTrack();
}

std::int32_t TForm1::ChooseTrack() {
    std::vector<TChooserTrack> tracks;
    if (FCDIn1->DriveState() != TDriveState::dsNoDisc) {
        for (std::int32_t track = 1; track <= FCDIn1->TrackCount(); ++track) {
            const TTrackSpan span = FCDIn1->TrackSpan(track);
            if (span.IsData == 0) {
                tracks.push_back(
                    {track, span.Length, QString::fromStdString(FCDIn1->TrackTitle(track))});
            }
        }
    }
    if (tracks.empty()) {
        RefuseDisc();
        return 0;
    }
    TTrackChooser chooser(tracks, this);
    return chooser.exec() == QDialog::Accepted ? chooser.ChosenTrack() : 0;
}

void TForm1::ProposeFileName(const std::string& Argument) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    FSaveDialog1->setDirectory(folder);
    const std::string digits = CharactersOf(Argument, 9, 2);
    const bool numbered = CharactersOf(Argument, 4, 5) == "Track" && digits.size() == 2 &&
                          std::isdigit(static_cast<unsigned char>(digits[0])) != 0 &&
                          std::isdigit(static_cast<unsigned char>(digits[1])) != 0;
    if (numbered) {
        FSaveDialog1->selectFile(QString::fromStdString("Track" + digits + ".mp3"));
    }
}

bool TForm1::HoldsAudioTrack(std::int32_t Track) {
    switch (FCDIn1->DiscContent()) {
    case TDiscContent::dcAudio:
        return true;
    case TDiscContent::dcMixed:
        // An Enhanced CD or a mixed-mode disc: its audio tracks are as good as
        // any; a data track is refused as on a data disc.
        return Track >= 1 && Track <= FCDIn1->TrackCount() && FCDIn1->TrackSpan(Track).IsData == 0;
    default:
        return false;
    }
}

void TForm1::RefuseDisc() {
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

void TForm1::CloseOnRequest() {
    if (FCloseRequested) {
        return;
    }
    if (QWidget* const modal = QApplication::activeModalWidget()) {
        // Cancelled first; the window closes once the dialog's own loop is over.
        if (auto* const dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
        QMetaObject::invokeMethod(this, &TForm1::CloseOnRequest, Qt::QueuedConnection);
        return;
    }
    FCloseRequested = true;
    CloseButtonClick();
}

void TForm1::FinishBeforeExit() {
    FEnding = true;
    if (!FMP3Out1->Busy()) {
        return;
    }
    FMP3Out1->Resume();
    FMP3Out1->Stop();
    // Until the worker has handed over its last event: it must not be left
    // waiting on the call queue that exit() is about to destroy.
    platform::WaitOnMainThread([this] { return FRunEnded.load(); });
    FCDIn1->CloseSource();
}

void TForm1::Button1Click() {
    const auto box = std::make_unique<TAboutBox>(this);
    box->exec();
}

void TForm1::closeEvent(QCloseEvent* Event) {
    QWidget::closeEvent(Event);
    // Qt ends the program when its last visible window closes; a window hidden
    // in the tray is not visible, so its closing has to say so itself.
    if (Event->isAccepted()) {
        QCoreApplication::quit();
    }
}

void TForm1::MinimizeButtonClick() {
    // Only hidden, not minimised as well: on X11 a minimised state set by the
    // program travels in the window's hints, so the window would come back
    // from the tray iconified, and the window manager's answer would send it
    // straight back into the tray. A desktop without a notification area gets
    // the window minimised instead (the tray icon sees to both).
    FTrayIcon1->HideMainWindow();
}

void TForm1::TrayIcon1Click() {
    FTrayIcon1->RestoreMainWindow();
}

void TForm1::About1Click() {
    const auto box = std::make_unique<TAboutBox>(this);
    box->exec();
}

void TForm1::MP3Out1Progress(TComponent&) {
    if (FEnding) {
        return;
    }
    FProgressBar1->SetPercent(FMP3Out1->Progress());
}

void TForm1::MP3Out1Done(TComponent&) {
    FRunEnded = true;
    FCDIn1->CloseSource();
    if (!FEnding) {
        close();
    }
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
