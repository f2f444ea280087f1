// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollBar>

// A VSWR bar: positions 100 to 500 stand for VSWR 1.00 to 5.00. Unlike a plain
// QScrollBar it takes the keyboard focus and shows that it has it, and it
// tells assistive technology the VSWR rather than the raw position.
class VswrScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit VswrScrollBar(QWidget* parent = nullptr);

    // The VSWR as the readout prints it, with the widget locale's decimal mark.
    QString VswrText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
