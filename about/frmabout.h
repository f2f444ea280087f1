// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About window: icon, title, version and a short description.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    // Creates the window over its owner, shows it modally and returns once it
    // has been closed and destroyed; each call makes a fresh window.
    static void ShowModal(QWidget* owner);

    explicit frmAbout(QWidget* owner = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();

    QPushButton* cmdOK = nullptr;
    QLabel* picIcon = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblDescription = nullptr;
};
