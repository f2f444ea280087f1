// SPDX-License-Identifier: MIT
#pragma once

// The inputs' grid: label, field, button and note on each line, in columns
// that line up across the sides, the chain and the band. Each part hands its
// lines in; the grid places every line in order, and the Tab order with them.

#include <QWidget>

#include <map>
#include <vector>

class QGridLayout;
class QLayout;

namespace corvalen::sweepwindow {

struct GridLine {
    QWidget* label = nullptr;
    QLayout* field = nullptr;
    QWidget* button = nullptr;
    QWidget* note = nullptr;
};

// The parts of the grid from top to bottom.
enum class GridSection { Source, Chain, Load, Z0, Band };

class InputGrid {
public:
    explicit InputGrid(QGridLayout* grid);
    void SetLines(GridSection section, std::vector<GridLine> lines);

private:
    void LayOut();

    QGridLayout* grid_;
    std::map<GridSection, std::vector<GridLine>> sections_;
};

}  // namespace corvalen::sweepwindow
