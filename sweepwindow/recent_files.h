// SPDX-License-Identifier: MIT
#pragma once

// The files read lately, newest first, kept between runs with QSettings, and
// the Open button's menu that offers them beside a file dialog.

#include <QObject>
#include <QStringList>

class QLineEdit;
class QPushButton;
class QSettings;
class QWidget;

namespace corvalen::sweepwindow {

class RecentFiles {
public:
    // Files read now go first; the list keeps the newest few.
    void Read(const QStringList& paths);
    // Files read in an earlier run, kept after those read in this one.
    void AddEarlier(const QStringList& paths);
    const QStringList& Paths() const { return paths_; }

private:
    QStringList paths_;
};

// The list as the last run left it, and kept for the next.
QStringList RememberedFiles(const QSettings& settings);
void RememberFiles(QSettings& settings, const QStringList& paths);

// An Open... button for `edit`, its menu filled as it opens: Choose a file...
// and the recent files, each setting the edit's text.
QPushButton* OpenButton(QWidget* parent, QLineEdit* edit, const RecentFiles& recent);

}  // namespace corvalen::sweepwindow
