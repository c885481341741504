#pragma once

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRectF>

namespace kestrune {

// The About box's picture of the program, 85 x 110 pixels.
QPixmap ProgramPicture();
// The program's icon, drawn at 16 x 16 and 32 x 32.
QIcon ProgramIcon();
// One image of the program's icon, Size pixels square.
QPixmap ProgramIconImage(int Size);
// A compact disc seen from above, filling Area.
void PaintDisc(QPainter& Painter, const QRectF& Area);

} // namespace kestrune
