#pragma once

#include <QProgressBar>

namespace kestrune {

// The progress display of the main window: a percentage from 0 to 100.
class TPlainProgressBar : public QProgressBar {
public:
    explicit TPlainProgressBar(QWidget* AParent = nullptr) : QProgressBar(AParent) {
        setRange(0, 100);
        setValue(0);
    }
    int Percent() const { return value(); }
    // Values outside 0..100 are ignored, as the bar cannot show them.
    void SetPercent(int Value) {
        if (Value >= 0 && Value <= 100) {
            setValue(Value);
        }
    }
};

} // namespace kestrune
