#pragma once

// Where the bar puts its two fields in its own, unturned frame.

#include "progressbar/turn_types.h"

#include <QPoint>
#include <QSize>

namespace kestrune {

struct TBarLayoutInput {
    QSize ProgressBox;  // the progress field's frame
    QSize NumberFrame;  // the number field's frame, unturned
    int NumberTurn = 0; // number field's angle minus the progress field's
    int Thickness = 0;  // the bar's gap and drawn bevel rings
    int GapInternal = 0;
    TTurnNumberAlign Align = TTurnNumberAlign::naLeft;
};

struct TBarLayout {
    QSize NumberBox; // the number field as it sits in the bar's frame
    QSize Frame;     // W x H
    QPoint NumberCentre;
    QPoint ProgressCentre;
};

TBarLayout LayOutBar(const TBarLayoutInput& Input);

} // namespace kestrune
