// SPDX-License-Identifier: MIT
#pragma once

// Every colour the charts show data in, in one place: the traces of both
// charts, the marks where a side's |G| is above 1, and the cursor a window
// paints over them. No two share a meaning, and each stands well apart from
// every other (tests/plot measures the distance), on the charts' white face.
// Through the two-ports the limits take paler hues of their direct partners'.

#include <QColor>

#include <array>

namespace corvalen::plot::palette {

// The plot across frequency.
inline const QColor kPlusLimit(0xc0, 0x39, 0x2b);
inline const QColor kMinusLimit(0x21, 0x61, 0xa8);
inline const QColor kMismatchLoss(0x2e, 0x8b, 0x57);
inline const QColor kMismatchError(0x00, 0x00, 0x00);
inline const QColor kThroughPlusLimit(0xe6, 0x7e, 0x22);
inline const QColor kThroughMinusLimit(0x4a, 0xa3, 0xdf);
inline const QColor kThroughMismatchError(0x8e, 0x44, 0xad);

// The Smith chart.
inline const QColor kSmithLoad(0x57, 0x00, 0xd9);
inline const QColor kSmithSource(0x73, 0x67, 0x00);

// Both charts: where a side's |G| is above 1 (no passive part reflects more
// than it receives, so such points are noise or a bad calibration), and the cursor.
inline const QColor kAboveOne(0xee, 0x00, 0x00);
inline const QColor kCursor(0xd9, 0x16, 0x77);

// Each colour above, for checking them against one another.
inline const std::array<QColor, 11> kDataColors{kPlusLimit,        kMinusLimit,        kMismatchLoss,
                                                kMismatchError,    kThroughPlusLimit,  kThroughMinusLimit,
                                                kThroughMismatchError, kSmithLoad,     kSmithSource,
                                                kAboveOne,         kCursor};

// The face: the background, the texts and the lines that carry no data.
inline const QColor kFace(0xff, 0xff, 0xff);
inline const QColor kText(0x00, 0x00, 0x00);
inline const QColor kGrid(0xdd, 0xdd, 0xdd);
inline const QColor kZeroLine(0x99, 0x99, 0x99);
inline const QColor kSmithGrid(0xc8, 0xc8, 0xc8);
inline const QColor kSmithRealAxis(0x80, 0x80, 0x80);
inline const QColor kSmithUnitCircle(0x40, 0x40, 0x40);
inline const QColor kSmithScaleText(0x55, 0x55, 0x55);
// Behind a label over the traces: the face, a little see-through.
inline const QColor kLabelBacking(0xff, 0xff, 0xff, 215);

}  // namespace corvalen::plot::palette
