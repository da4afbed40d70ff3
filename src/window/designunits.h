// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's layout is designed in twips, the unit its places and sizes
// were first drawn in: 15 twips make one logical pixel, so a window of
// 8505 × 6675 twips has a client area of 567 × 445 pixels. Every place and
// size in the window and on the cards is written in twips and turned into
// pixels here.

#include <QPoint>
#include <QRect>
#include <cmath>

namespace DesignUnits {

inline constexpr int TwipsPerPixel = 15;

inline int ToPixels(double twips) { return static_cast<int>(std::lround(twips / TwipsPerPixel)); }

inline QRect Rect(double left, double top, double width, double height)
{
    return QRect(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

inline QPoint Point(double x, double y) { return QPoint(ToPixels(x), ToPixels(y)); }

} // namespace DesignUnits
