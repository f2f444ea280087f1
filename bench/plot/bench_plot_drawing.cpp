// SPDX-License-Identifier: MIT
// How long the two charts take to draw a hundred thousand noisy points, in
// memory (as a window paints them) and into the files the plot module writes.
// Not a test; scripts/bench runs it.

#include "plot/smith_chart.h"
#include "plot/sweep_chart.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

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
    NoisyReflection(double magnitude, double turns, unsigned seed)
    {
        std::mt19937_64 random(seed);
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
                QStringLiteral("load.s1p"), {}};
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
void ToImage(benchmark::State& state, QSize size, Draw draw, bool png)
{
    QImage image(size, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        draw(painter);
        painter.end();
        if (png) {
            QBuffer file;
            file.open(QIODevice::WriteOnly);
            image.save(&file, "PNG", 80);
            state.counters["bytes"] = static_cast<double>(file.size());
        }
    }
}

template <typename Draw>
void ToSvg(benchmark::State& state, QSize size, Draw draw)
{
    for (auto _ : state) {
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        QPainter painter(&generator);
        draw(painter);
        painter.end();
        state.counters["bytes"] = static_cast<double>(file.size());
    }
}

const auto kSweep = [](QPainter& painter) { DrawSweepChart(painter, kSweepChartSize, TheData().Sweep()); };
const auto kSmith = [](QPainter& painter) { DrawSmithChart(painter, kSmithChartSize, TheData().Smith()); };

void SweepOnScreen(benchmark::State& state) { ToImage(state, kSweepChartSize, kSweep, false); }
void SweepPng(benchmark::State& state) { ToImage(state, kSweepChartSize, kSweep, true); }
void SweepSvg(benchmark::State& state) { ToSvg(state, kSweepChartSize, kSweep); }
void SmithOnScreen(benchmark::State& state) { ToImage(state, kSmithChartSize, kSmith, false); }
void SmithPng(benchmark::State& state) { ToImage(state, kSmithChartSize, kSmith, true); }
void SmithSvg(benchmark::State& state) { ToSvg(state, kSmithChartSize, kSmith); }

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
