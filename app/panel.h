#pragma once

#include <QWidget>

namespace kestrune {

// A silver panel with a raised outer and a raised inner bevel, one pixel
// each, so its children start two pixels in from every edge.
class TPanel : public QWidget {
public:
    explicit TPanel(QWidget* AParent);

protected:
    void paintEvent(QPaintEvent* Event) override;
};

} // namespace kestrune
