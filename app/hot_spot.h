#pragma once

#include <QLabel>

namespace kestrune {

// An invisible button over a button painted on the window's face: a
// transparent label with a blank caption, a hand cursor and a hint. A left
// click that is pressed and released on it emits clicked.
class THotSpot : public QLabel {
    Q_OBJECT
public:
    THotSpot(const QString& Hint, const QRect& Bounds, QWidget* AParent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    bool FPressed = false;
};

} // namespace kestrune
