#pragma once

#include "app/desktop_argument.h"
#include "cdin/cd_deemphasis.h"
#include "cdin/cd_in.h"
#include "mp3out/mp3_out.h"
#include "platform/component.h"
#include "platform/exit_hook.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon.h"

#include <QWidget>

#include <atomic>
#include <string>
#include <vector>

class QFileDialog;
class QLabel;

namespace kestrune {

class TTurnProgressBar;
class THotSpot;
class TPanel;

// The main window: carries out the request of the command line (a track path
// such as D:\Track03.cda) when it first becomes active, shows the rip's
// progress, and offers pause/resume, close and the About box.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Arguments are the command line without the program name. Raises the
    // components' errors (a library that cannot be loaded).
    explicit TForm1(std::vector<std::string> Arguments, QWidget* AParent = nullptr);
    ~TForm1() override;

    TCDIn& CDIn1() const { return *FCDIn1; }
    TCDDeemphasis& Deemphasis1() const { return *FDeemphasis1; }
    TMP3Out& MP3Out1() const { return *FMP3Out1; }
    TTurnProgressBar& ProgressBar1() const { return *FProgressBar1; }
    TPanel& Panel1() const { return *FPanel1; }
    QLabel& Image1() const { return *FImage1; }
    QLabel& StaticText1() const { return *FStaticText1; }
    THotSpot& StopButton() const { return *FStopButton; }
    THotSpot& CloseButton() const { return *FCloseButton; }
    THotSpot& AboutButton() const { return *FAboutButton; }
    bool RipRunning() const { return FRipRunning; }
    THotSpot& MinimizeButton() const { return *FMinimizeButton; }
    TTrayIcon& TrayIcon1() const { return *FTrayIcon1; }
    TPopupMenu& PopupMenu1() const { return *FPopupMenu1; }

public slots:
    void FormActivate();
    void StartProcess();
    void StopButtonClick();
    void CloseButtonClick();
    void Button1Click();
    void MinimizeButtonClick();
    void TrayIcon1Click();
    void About1Click();
    // The program is asked to end from outside (SIGTERM from the session, a
    // hang-up, Ctrl-C in its terminal): a dialog waiting for the user is
    // cancelled, then the window closes as the Close control closes it, and
    // a rip under way is finished shorter.
    void CloseOnRequest();

protected:
    bool event(QEvent* Event) override;
    // The main window closing ends the program, also when it sits in the tray.
    void closeEvent(QCloseEvent* Event) override;

private:
    void MP3Out1Progress(TComponent& Sender);
    void MP3Out1Done(TComponent& Sender);
    // Tells the user why a rip could not start or did not finish.
    void MP3Out1ThreadException(const std::string& Message);
    void ShowStatus(const QString& Caption);
    void HideStatus();
    void ShowMessage(const QString& Text);
    void SetUpWindow();
    void CreateFace();
    void CreateRipComponents();
    void LoadRipComponents();
    void CreateTray();
    void CreateSaveDialog();
    // The track a Linux desktop's request names, on the drive it names (chosen
    // by the user when the request is the whole disc); 0 when there is none:
    // the drive or the disc was refused, or the user cancelled.
    std::int32_t TakeDesktopRequest(const TDesktopRequest& Request);
    std::int32_t ChooseTrack();
    // Points the save dialog at the user's music folder with TrackNN.mp3 for
    // the track the argument names.
    void ProposeFileName(const std::string& Argument);
    // Whether the disc holds audio and Track is one of its audio tracks.
    bool HoldsAudioTrack(std::int32_t Track);
    // "This is not an audio CD in Drive or Disc protected", then the program ends.
    void RefuseDisc();

    // The process ends without returning from main (the display connection
    // broke): a rip under way is stopped and its file finished, no window
    // touched any more.
    void FinishBeforeExit();

    std::vector<std::string> FArguments;
    // While the process ends through exit(): the rip's events leave the
    // windows alone.
    bool FEnding = false;
    bool FCloseRequested = false;
    // The run's done or failure event has come (the failure on the worker).
    std::atomic<bool> FRunEnded{false};
    TComponent FComponents; // owns CDIn1 and MP3Out1
    TPanel* FPanel1 = nullptr;
    QLabel* FImage1 = nullptr;
    TTurnProgressBar* FProgressBar1 = nullptr;
    QLabel* FStaticText1 = nullptr;
    THotSpot* FStopButton = nullptr;
    THotSpot* FAboutButton = nullptr;
    THotSpot* FCloseButton = nullptr;
    TCDIn* FCDIn1 = nullptr;
    // Between CDIn1 and MP3Out1: undoes the pre-emphasis of tracks mastered with it.
    TCDDeemphasis* FDeemphasis1 = nullptr;
    TMP3Out* FMP3Out1 = nullptr;
    QFileDialog* FSaveDialog1 = nullptr;
    bool FRipRunning = false;
    bool FActivated = false;
    // The notification-area icon and its menu.
    THotSpot* FMinimizeButton = nullptr;
    TTrayIcon* FTrayIcon1 = nullptr;
    TPopupMenu* FPopupMenu1 = nullptr;
    platform::ExitHook FExitHook{[this] { FinishBeforeExit(); }};
};

} // namespace kestrune
