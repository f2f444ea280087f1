// SPDX-License-Identifier: MIT
// Corvalen Sweep's window started as the program starts it, with a source and
// a load file, until its first complete frame: both charts painted with the
// sweep. Prints that moment on the monotonic clock, in microseconds, and ends;
// bench/sweep_window_vs_skrf.py starts it as a fresh process per run and takes
// the time from its own clock before the start. Not a test.
// Usage: bench_sweep_first_frame SOURCE LOAD

#include "sweepwindow/sweep_window.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <set>

namespace {

// Notes each chart's paint once the window shows a sweep; after both, the
// event loop's next turn comes once the frame has gone to the window system.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(const corvalen::sweepwindow::SweepWindow& window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && window_.Shown() && painted_.insert(watched).second
            && painted_.size() == 2)
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000);
                QApplication::exit(0);
            });
        return false;
    }

private:
    const corvalen::sweepwindow::SweepWindow& window_;
    std::set<QObject*> painted_;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    corvalen::sweepwindow::SweepWindow window({argv[1], {}, argv[2]});
    FrameWatch watch(window);
    for (const char* chart : {"sweepChart", "smithChart"})
        window.findChild<QWidget*>(QString::fromUtf8(chart))->installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
