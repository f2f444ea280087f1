// SPDX-License-Identifier: MIT
#include "input_grid.h"

#include <QGridLayout>

namespace corvalen::sweepwindow {

InputGrid::InputGrid(QGridLayout* grid)
    : grid_(grid)
{
    grid_->setColumnStretch(1, 1);
    grid_->setColumnStretch(3, 1);
}

void InputGrid::SetLines(GridSection section, std::vector<GridLine> lines)
{
    sections_[section] = std::move(lines);
    LayOut();
}

void InputGrid::LayOut()
{
    while (QLayoutItem* item = grid_->takeAt(0))
        if (!item->layout())
            delete item;  // a widget's place; a layout is its own item, and is placed again below
    std::vector<QWidget*> tabOrder;
    int row = 0;
    for (const auto& [section, lines] : sections_) {
        for (const GridLine& line : lines) {
            if (line.label)
                grid_->addWidget(line.label, row, 0);
            grid_->addLayout(line.field, row, 1);
            for (int item = 0; item < line.field->count(); ++item)
                if (QWidget* widget = line.field->itemAt(item)->widget(); widget && (widget->focusPolicy() & Qt::TabFocus))
                    tabOrder.push_back(widget);
            if (line.button) {
                grid_->addWidget(line.button, row, 2);
                tabOrder.push_back(line.button);
            }
            if (line.note)
                grid_->addWidget(line.note, row, 3);
            ++row;
        }
    }
    // Top to bottom, left to right, however the chain grew.
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

}  // namespace corvalen::sweepwindow
