#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace kestrune {

// The About box: the product, its version and two links to the maker. Shown
// modally and destroyed after each showing.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* AParent = nullptr);

    QLabel* www_label() const { return FWwwLabel; }
    QLabel* email_label() const { return FEmailLabel; }
    QPushButton* OKButton() const { return FOKButton; }

    // How the links are opened; the desktop's handler unless replaced.
    void SetUrlOpener(std::function<void(const QUrl&)> Opener) { FOpenUrl = std::move(Opener); }

public slots:
    void www_labelClick();
    void email_labelClick();

protected:
    // The box has no cancel button: Escape does not close it.
    void reject() override {}
    void closeEvent(QCloseEvent* Event) override;
    // Centred on the screen, not on the window that opened it.
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QLabel* FWwwLabel = nullptr;
    QLabel* FEmailLabel = nullptr;
    QPushButton* FOKButton = nullptr;
    std::function<void(const QUrl&)> FOpenUrl;
};

} // namespace kestrune
