// bar-demo [PERCENT]: a window with the main window's progress bar turned by
// 0, 30, 90, 180 and 270 degrees, all at PERCENT (default 37), to look at the
// bar on a real screen.

#include "progressbar/turn_progress_bar.h"

#include <QApplication>
#include <QWidget>

#include <array>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int percent = argc > 1 ? std::atoi(argv[1]) : 37;

    QWidget window;
    window.setWindowTitle("bar-demo");
    window.setStyleSheet("background: rgb(192, 192, 192)");
    window.setFixedSize(520, 300);
    constexpr std::array<std::array<int, 3>, 5> places = {{
        {0, 10, 10}, // angle, left, top
        {300, 160, 10},
        {900, 300, 10},
        {1800, 10, 200},
        {2700, 360, 10},
    }};
    for (const auto& [angle, left, top] : places) {
        // The window owns the bars as its Qt children.
        auto* const bar = new kestrune::TTurnProgressBar(&window);
        bar->move(left, top);
        bar->SetColor(11849148);
        bar->SetNFColor(kestrune::clWindow);
        bar->SetNFFieldNumberColor(4227072);
        bar->SetNFFont(kestrune::MakeTurnFont("Times New Roman", 16));
        bar->SetPFColor(kestrune::clWindow);
        bar->SetPFProgressKind(kestrune::TTurnProgressKind::pkGradient);
        bar->SetPFMainColor(5089577);
        bar->SetAngle(angle);
        bar->SetPercent(percent);
    }
    window.move(0, 0);
    window.show();
    return QApplication::exec();
}
