// SPDX-License-Identifier: MIT
#include "window_placement.h"

#include <QEvent>
#include <QMargins>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace corvalen {

namespace {

QMargins FrameMargins(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

class FrameCentring final : public QObject {
public:
    FrameCentring(QWidget& window, std::function<QPoint()> centre)
        : QObject(&window)
        , window_(window)
        , centre_(std::move(centre))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            // A window restored from the taskbar is shown again; it stays where the user left it.
            if (!shown_ && !event->spontaneous()) {
                shown_ = true;
                Centre();
            }
            break;
        // The frame becomes known some time after mapping: X11 window managers
        // report it in a property, which Qt reads when asked, so ask on each
        // of the events that follow mapping until the frame has been seen.
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            if (shown_ && !settled_ && FrameMargins(window_) != centredWith_)
                Centre();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Centre()
    {
        centredWith_ = FrameMargins(window_);
        QRect frame(QPoint(), window_.size().grownBy(centredWith_));
        frame.moveCenter(centre_());
        window_.setGeometry(QRect(frame.topLeft() + QPoint(centredWith_.left(), centredWith_.top()), window_.size()));
        // Without a window manager the frame stays empty and the first centring stands.
        settled_ = !centredWith_.isNull();
    }

    QWidget& window_;
    std::function<QPoint()> centre_;
    QMargins centredWith_;
    bool shown_ = false;
    bool settled_ = false;
};

}  // namespace

QRect FrameGeometry(const QWidget& window)
{
    return window.geometry().marginsAdded(FrameMargins(window));
}

void CentreOnShow(QWidget& window, std::function<QPoint()> centre)
{
    new FrameCentring(window, std::move(centre));
}

}  // namespace corvalen
