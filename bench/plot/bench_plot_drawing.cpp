// SPDX-License-Identifier: MIT
// How long the two charts take to draw a hundred thousand noisy points: on an
// image as a window paints them, and into the files that the plot module
// writes for corvalen-cli, through its entry points.
// Not a test; scripts/bench runs it.

#include "plot/plot_module.h"
#include "plot/smith_chart.h"
#include "plot/sweep_chart.h"
#include "plot/thinning.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace corvalen::plot;

constexpr std::size_t kPoints = 100'001;

// |G| about 0.3 with 0.002 of noise, the phase turning a few times across the band.
struct NoisyReflection {
    std::vector<double> real, imaginary;
    NoisyReflection(double magnitude, double turns, unsigned stream)
    {
        std::mt19937_64 random(stream);
        std::normal_distribution<double> noise(0.0, 0.002);
        for (std::size_t i = 0; i < kPoints; ++i) {
            const double phase = -2 * std::numbers::pi * turns * static_cast<double>(i) / (kPoints - 1);
            real.push_back(magnitude * std::cos(phase) + noise(random));
            imaginary.push_back(magnitude * std::sin(phase) + noise(random));
        }
    }
};

// The two sides and the sweep's series as corvalen-cli computes them.
struct Data {
    std::vector<double> frequencyHz;
    NoisyReflection source{0.3, 3, 1};
    NoisyReflection load{0.28, 4.5, 2};
    std::vector<double> sourceConjugateImaginary, plusDb, minusDb, errorDb, lossDb;
    Data()
    {
        for (std::size_t i = 0; i < kPoints; ++i) {
            frequencyHz.push_back(10e6 + (6e9 - 10e6) * static_cast<double>(i) / (kPoints - 1));
            const std::complex<double> gs(source.real[i], source.imaginary[i]);
            const std::complex<double> gl(load.real[i], load.imaginary[i]);
            sourceConjugateImaginary.push_back(-gs.imag());
            plusDb.push_back(20 * std::log10(1 + std::abs(gs) * std::abs(gl)));
            minusDb.push_back(20 * std::log10(1 - std::abs(gs) * std::abs(gl)));
            errorDb.push_back(20 * std::log10(std::abs(1.0 - gs * gl)));
            lossDb.push_back(-10 * std::log10(1 - std::norm(gl)));
        }
    }
    SweepChart Sweep() const
    {
        return {frequencyHz, plusDb, minusDb, errorDb, lossDb, {}, {}, {}, QStringLiteral("source.s1p"),
                QStringLiteral("load.s1p"), {}, {}, {}};
    }
    SmithChart Smith() const
    {
        return {{frequencyHz, load.real, load.imaginary, 0.0, QStringLiteral("load.s1p")},
                {frequencyHz, source.real, sourceConjugateImaginary, 0.0, QStringLiteral("source.s1p")}};
    }
};

const Data& TheData()
{
    static const Data data;
    return data;
}

template <typename Draw>
void OnScreen(benchmark::State& state, QSize size, Draw draw)
{
    QImage image(size, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        draw(painter);
    }
}

void SweepOnScreen(benchmark::State& state)
{
    OnScreen(state, kSweepChartSize,
             [](QPainter& painter) { DrawSweepChart(painter, kSweepChartSize, TheData().Sweep()); });
}

void SmithOnScreen(benchmark::State& state)
{
    OnScreen(state, kSmithChartSize,
             [](QPainter& painter) { DrawSmithChart(painter, kSmithChartSize, TheData().Smith()); });
}

// One file through an entry point, as corvalen-cli calls it; its size in bytes.
template <typename Picture, typename Entry>
void ToFile(benchmark::State& state, Picture picture, Entry entry, const char* name)
{
    const QTemporaryDir folder;
    const QByteArray path = folder.filePath(QString::fromLatin1(name)).toUtf8();
    picture.path = path.constData();
    for (auto _ : state) {
        char reason[256] = "";
        if (entry(&picture, reason, sizeof reason) != 0)
            state.SkipWithError(reason);
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(QString::fromUtf8(path)).size());
}

CorvalenSweepPlot SweepPlot()
{
    const Data& d = TheData();
    return {kPoints, d.frequencyHz.data(), d.plusDb.data(), d.minusDb.data(), d.errorDb.data(), d.lossDb.data(),
            nullptr, nullptr, nullptr, nullptr, "source.s1p", "load.s1p", 0, nullptr, 0, nullptr, nullptr};
}

CorvalenSmithChart SmithPlot()
{
    const Data& d = TheData();
    return {{kPoints, d.frequencyHz.data(), d.load.real.data(), d.load.imaginary.data(), 0.0, "load.s1p"},
            {kPoints, d.frequencyHz.data(), d.source.real.data(), d.sourceConjugateImaginary.data(), 0.0, "source.s1p"},
            nullptr};
}

void SweepPng(benchmark::State& state) { ToFile(state, SweepPlot(), corvalen_plot_sweep, "p.png"); }
void SweepSvg(benchmark::State& state) { ToFile(state, SweepPlot(), corvalen_plot_sweep, "p.svg"); }
void SmithPng(benchmark::State& state) { ToFile(state, SmithPlot(), corvalen_plot_smith, "s.png"); }
void SmithSvg(benchmark::State& state) { ToFile(state, SmithPlot(), corvalen_plot_smith, "s.svg"); }

// How many points each trace keeps, at the scales of the pictures the module
// writes: the unit circle 415 pixels across its radius; 984 pixels for the band
// and 456 for the 1.6 dB that the sweep's values span.
void Thinning(benchmark::State& state)
{
    const Data& d = TheData();
    const QTransform smith(415, 0, 0, -415, 470, 505);
    QTransform sweep;
    sweep.scale(984 / (d.frequencyHz.back() - d.frequencyHz.front()), -456 / 1.6);
    for (auto _ : state) {
        const Polyline load = NearbyThinned(d.load.real, d.load.imaginary, smith);
        const Polyline error = ColumnEnvelope(d.frequencyHz, d.errorDb, sweep);
        state.counters["smith_load_points"] = static_cast<double>(load.Points());
        state.counters["sweep_error_points"] = static_cast<double>(error.Points());
    }
}

BENCHMARK(Thinning)->Unit(benchmark::kMillisecond);
BENCHMARK(SweepOnScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(SweepPng)->Unit(benchmark::kMillisecond);
BENCHMARK(SweepSvg)->Unit(benchmark::kMillisecond);
BENCHMARK(SmithOnScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(SmithPng)->Unit(benchmark::kMillisecond);
BENCHMARK(SmithSvg)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    const QGuiApplication application(argc, argv);
    TheData();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
