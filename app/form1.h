#pragma once

#include "cdin/cd_deemphasis.h"
#include "cdin/cd_in.h"
#include "mp3out/mp3_out.h"
#include "platform/component.h"

#include <QWidget>

#include <string>
#include <vector>

class QFileDialog;
class QLabel;
class QPushButton;

namespace kestrune {

class TPlainProgressBar;

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
    TPlainProgressBar& ProgressBar1() const { return *FProgressBar1; }
    QLabel& StaticText1() const { return *FStaticText1; }
    QPushButton& StopButton() const { return *FStopButton; }
    QPushButton& CloseButton() const { return *FCloseButton; }
    QPushButton& AboutButton() const { return *FAboutButton; }
    bool RipRunning() const { return FRipRunning; }

public slots:
    void FormActivate();
    void StartProcess();
    void StopButtonClick();
    void CloseButtonClick();
    void Button1Click();

protected:
    bool event(QEvent* Event) override;

private:
    void MP3Out1Progress(TComponent& Sender);
    void MP3Out1Done(TComponent& Sender);
    // Tells the user why a rip could not start or did not finish.
    void MP3Out1ThreadException(const std::string& Message);
    void ShowStatus(const QString& Caption);
    void HideStatus();
    void ShowMessage(const QString& Text);

    std::vector<std::string> FArguments;
    TComponent FComponents; // owns CDIn1 and MP3Out1
    TPlainProgressBar* FProgressBar1 = nullptr;
    QLabel* FStaticText1 = nullptr;
    QPushButton* FStopButton = nullptr;
    QPushButton* FAboutButton = nullptr;
    QPushButton* FCloseButton = nullptr;
    TCDIn* FCDIn1 = nullptr;
    // Between CDIn1 and MP3Out1: undoes the pre-emphasis of tracks mastered with it.
    TCDDeemphasis* FDeemphasis1 = nullptr;
    TMP3Out* FMP3Out1 = nullptr;
    QFileDialog* FSaveDialog1 = nullptr;
    bool FRipRunning = false;
    bool FActivated = false;
};

} // namespace kestrune
