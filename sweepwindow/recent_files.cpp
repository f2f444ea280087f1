// SPDX-License-Identifier: MIT
#include "recent_files.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>

namespace corvalen::sweepwindow {
namespace {

constexpr qsizetype kRecentFiles = 8;

QString Key()
{
    return QStringLiteral("recentFiles");
}

void FillOpenMenu(QMenu* menu, QLineEdit* edit, const RecentFiles& recent)
{
    menu->clear();
    menu->addAction(QStringLiteral("&Choose a file..."), edit, [edit] {
        const QString path = QFileDialog::getOpenFileName(edit->window(), QStringLiteral("Open a Touchstone file"), QString(),
                                                          QStringLiteral("Touchstone files (*.s*p *.S*P *.ts *.TS);;All files (*)"));
        if (!path.isEmpty())
            edit->setText(path);
    });
    if (!recent.Paths().isEmpty())
        menu->addSection(QStringLiteral("Recent files"));
    for (const QString& path : recent.Paths()) {
        const QFileInfo file(path);
        menu->addAction(file.fileName() + QStringLiteral("  (") + file.absolutePath() + QLatin1Char(')'), edit,
                        [edit, path] { edit->setText(path); });
    }
}

}  // namespace

void RecentFiles::Read(const QStringList& paths)
{
    for (const QString& path : paths) {
        paths_.removeAll(path);
        paths_.prepend(path);
    }
    paths_ = paths_.mid(0, kRecentFiles);
}

void RecentFiles::AddEarlier(const QStringList& paths)
{
    for (const QString& path : paths)
        if (!paths_.contains(path))
            paths_.append(path);
    paths_ = paths_.mid(0, kRecentFiles);
}

QStringList RememberedFiles(const QSettings& settings)
{
    return settings.value(Key()).toStringList();
}

void RememberFiles(QSettings& settings, const QStringList& paths)
{
    settings.setValue(Key(), paths);
}

QPushButton* OpenButton(QWidget* parent, QLineEdit* edit, const RecentFiles& recent)
{
    auto* open = new QPushButton(QStringLiteral("Open..."), parent);
    open->setAccessibleName(QStringLiteral("Open a file for ") + edit->accessibleName());
    auto* menu = new QMenu(open);
    open->setMenu(menu);
    QObject::connect(menu, &QMenu::aboutToShow, open, [menu, edit, &recent] { FillOpenMenu(menu, edit, recent); });
    return open;
}

}  // namespace corvalen::sweepwindow
