// SPDX-License-Identifier: MIT
#pragma once

// How the plot module turns a drawing into a file for corvalen-cli.

#include <QSize>
#include <QString>

#include <cstddef>
#include <functional>

class QPainter;

namespace corvalen::plot {

// Everything an entry point does around its drawing: starts a display-less Qt
// if the process has none, draws onto an SVG or PNG written through QSaveFile
// (so a failure leaves nothing at `path`), keeps Qt's notes off stderr and
// restores the caller's message handler however it ends.
// Returns 0, or 1 with the reason copied into `reason`.
int DrawToFile(const char* path, QSize size, const QString& title, const std::function<void(QPainter&)>& draw,
               char* reason, std::size_t reasonSize);

// Copies the text into the caller's buffer, cut to reasonSize - 1 bytes.
void Report(char* reason, std::size_t reasonSize, const QString& text);

}  // namespace corvalen::plot
