#pragma once
// Every place and size in the game's layout is given in twips. The screen
// shows 15 twips to one logical pixel, so a window of 8505 × 6675 twips has a
// client area of 567 × 445 pixels.

#include <QPoint>
#include <QRect>
#include <cmath>

namespace Twips {

inline constexpr int PerPixel = 15;

inline int ToPixels(double twips) { return static_cast<int>(std::lround(twips / PerPixel)); }

inline QRect Rect(double left, double top, double width, double height)
{
    return QRect(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

inline QPoint Point(double x, double y) { return QPoint(ToPixels(x), ToPixels(y)); }

} // namespace Twips
