// SPDX-License-Identifier: MIT
// Corvalen Sweep with two noisy 100,001-point one-port files (|G| about 0.3
// with 0.002 of noise, the phase turning a few times across the band): the
// time from the inputs to the first complete frame, and one cursor step with
// the readout and both charts repainted. Not a test; run it on a display
// (or QT_QPA_PLATFORM=offscreen) with -median 15 or so.

#include "sweepwindow/sweep_window.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr int kPoints = 100'001;

void WriteNoisyFile(const QString& path, double turns, unsigned stream)
{
    std::mt19937 random(stream);
    std::normal_distribution<double> noise(0.0, 0.002);
    QByteArray text = "# Hz S RI R 50\n";
    for (int i = 0; i < kPoints; ++i) {
        const double fraction = double(i) / (kPoints - 1);
        const double phase = 2 * std::numbers::pi * turns * fraction;
        const double magnitude = 0.3 + noise(random);
        text += QByteArray::number(1e9 + 5e9 * fraction, 'f', 0) + ' '
                + QByteArray::number(magnitude * std::cos(phase), 'f', 6) + ' '
                + QByteArray::number(magnitude * std::sin(phase), 'f', 6) + '\n';
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

}  // namespace

class BenchSweepWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void firstFrame();
    void cursorStep();

private:
    QTemporaryDir folder_;
    corvalen::sweepwindow::InputTexts files_;
};

void BenchSweepWindow::initTestCase()
{
    const QString source = folder_.filePath(QStringLiteral("source.s1p"));
    const QString load = folder_.filePath(QStringLiteral("load.s1p"));
    WriteNoisyFile(source, 3.0, 1);
    WriteNoisyFile(load, -4.0, 2);
    files_ = {source.toStdString(), {}, load.toStdString()};
}

// Reading both files, the sweep, the worst case, and the window painted whole.
void BenchSweepWindow::firstFrame()
{
    QBENCHMARK {
        corvalen::sweepwindow::SweepWindow window(files_);
        window.show();
        QVERIFY(QTest::qWaitFor([&window] { return !window.Busy(); }, 60000));
        QVERIFY(window.Shown());
        window.grab();
    }
}

// The step alternates between two rows so that every step moves the cursor.
void BenchSweepWindow::cursorStep()
{
    corvalen::sweepwindow::SweepWindow window(files_);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QTest::qWaitFor([&window] { return !window.Busy(); }, 60000));
    window.repaint();
    const std::size_t row = window.CursorRow() > 0 ? window.CursorRow() - 1 : 1;
    std::size_t next = row;
    QBENCHMARK {
        window.MoveCursorTo(next);
        window.repaint();
        next = next == row ? row + 1 : row;
    }
}

QTEST_MAIN(BenchSweepWindow)
#include "bench_sweep_window.moc"
