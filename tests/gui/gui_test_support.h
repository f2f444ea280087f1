// SPDX-License-Identifier: MIT
#pragma once

// Finding controls by name and driving modal windows without ever hanging.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "output_labels.h"

#include <functional>

namespace gui_test {

using test_support::kOutputLabels;

template <typename T>
T* Child(const QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

inline QString Text(const QWidget& window, const char* label)
{
    return Child<QLabel>(window, label)->text();
}

inline QScrollBar* Bar(const QWidget& window, const char* name)
{
    return Child<QScrollBar>(window, name);
}

inline void Click(const QWidget& window, const char* button)
{
    QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton);
}

// Runs `trigger`, which opens a modal window, and calls `whileOpen` with that
// window once it is showing. Any modal window still open after `whileOpen`
// (plus a grace period) is closed by force and reported, so a window that
// refuses to close fails the test instead of hanging it.
inline bool WithModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& whileOpen)
{
    bool seen = false;
    bool forced = false;
    QTimer poll;
    poll.setInterval(10);
    int ticks = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!seen && modal && modal->isVisible()) {
            seen = true;
            whileOpen(modal);
            ticks = 0;
            return;
        }
        if (++ticks > 300) {  // three seconds without progress
            if (QWidget* stuck = QApplication::activeModalWidget()) {
                forced = true;
                stuck->close();
                if (auto* dialog = qobject_cast<QDialog*>(stuck))
                    dialog->done(0);
            }
            poll.stop();
        }
    });
    poll.start();
    trigger();
    poll.stop();
    return seen && !forced;
}

}  // namespace gui_test
