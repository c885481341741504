// What one repaint of the main window's 130 x 20 progress bar costs, fields
// included, at the percentages a rip passes through; and a Percent write that
// changes nothing.

#include "progressbar/turn_progress_bar.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

namespace {

using namespace kestrune;

void MainWindowSettings(TTurnProgressBar& Bar) {
    Bar.SetColor(11849148);
    Bar.SetNFFieldNumberColor(4227072);
    Bar.SetNFFont(MakeTurnFont("Times New Roman", 16));
    Bar.SetPFProgressKind(TTurnProgressKind::pkGradient);
    Bar.SetPFMainColor(5089577);
    Bar.ensurePolished();
    QCoreApplication::sendPostedEvents();
}

void Repaint(benchmark::State& State, TTurnProgressKind Kind, int Angle) {
    TTurnProgressBar bar;
    MainWindowSettings(bar);
    bar.SetPFProgressKind(Kind);
    bar.SetAngle(Angle);
    QCoreApplication::sendPostedEvents();
    bar.SetPercent(static_cast<int>(State.range(0)));
    QImage image(bar.size(), QImage::Format_RGB32);
    for (auto _ : State) {
        bar.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}

void UnchangedPercent(benchmark::State& State) {
    TTurnProgressBar bar;
    MainWindowSettings(bar);
    bar.SetPercent(37);
    for (auto _ : State) {
        bar.SetPercent(37);
    }
}

} // namespace

BENCHMARK_CAPTURE(Repaint, gradient, TTurnProgressKind::pkGradient, 0)->Arg(0)->Arg(37)->Arg(100);
BENCHMARK_CAPTURE(Repaint, gradient_upright, TTurnProgressKind::pkGradient, 900)->Arg(100);
BENCHMARK_CAPTURE(Repaint, gradient_slanted, TTurnProgressKind::pkGradient, 300)->Arg(100);
BENCHMARK_CAPTURE(Repaint, relief, TTurnProgressKind::pkRelief, 0)->Arg(100);
BENCHMARK_CAPTURE(Repaint, parts, TTurnProgressKind::pkParts, 0)->Arg(100);
BENCHMARK(UnchangedPercent);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
