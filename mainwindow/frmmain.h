// SPDX-License-Identifier: MIT
#pragma once

#include "calc/result_texts.h"

#include <QLocale>
#include <QWidget>

#include <array>
#include <string>

class QClipboard;
class QLabel;
class VswrScrollBar;

// The main window. It keeps no results of its own: each lives only as the
// text of its label, and the clipboard report is read back from those labels.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The locale gives the decimal mark of every number the window prints.
    explicit frmMain(const QLocale& locale = QLocale::system(), QWidget* parent = nullptr);

protected:
    // Where the report goes; a test puts a missing clipboard here.
    virtual QClipboard* Clipboard() const;

    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void Form_Load();
    void hsVSWR1_Change();
    void hsVSWR2_Change();
    void UpdateResults();
    void cmdCopy_Click();
    void cmdAbout_Click();
    void cmdQuit_Click();
    QString BuildReport() const;

    // The label that shows a row of kOutputLabels; the results live only in their texts.
    QLabel& Output(const corvalen::OutputLabel& label) const;
    void WriteOutputs(corvalen::OutputGroup group, const corvalen::OutputTexts& texts);

    const std::string decimalMark_;

    VswrScrollBar* hsVSWR1 = nullptr;
    VswrScrollBar* hsVSWR2 = nullptr;
    std::array<QLabel*, corvalen::kOutputLabels.size()> outputLabels_{};  // in the order of kOutputLabels
};
