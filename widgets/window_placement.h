// SPDX-License-Identifier: MIT
#pragma once

// Centring a window counting its frame. A window manager reports the frame
// only after the window has been mapped, so a window centred before that is
// off by the frame's size; this one is centred again once the frame is known.
// On Wayland a window cannot place itself and the compositor's placement stands.

#include <QPoint>
#include <QRect>

#include <functional>

class QWidget;

namespace corvalen {

// The window's rectangle with its frame, as far as the window system knows it.
QRect FrameGeometry(const QWidget& window);

// Centres the window's frame on centre() when the window is first shown, and
// again when the window manager reports a frame other than the one it was
// centred with, until it has been centred with a known frame.
void CentreOnShow(QWidget& window, std::function<QPoint()> centre);

}  // namespace corvalen
