// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a game window opens: wholly inside the free area of its screen (the
// area less panels and docks). Windows started together each get a slot and
// open one step apart down and to the right, so none hides another; a
// window's remembered place is used only while the whole window still fits
// there (the screen may have changed since).

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace WindowPlacement {

// How far apart, in pixels, windows of neighbouring slots open.
inline constexpr int CascadeStep = 32;

// The place of a window of `size` (its frame included) on the free area
// `available`, in slot `slot` (0 for the first or only window): slot k opens
// k steps from the remembered place when the window fits there, else from
// the area's top-left corner; a step that would leave the area starts again
// from that corner. A window larger than the area gets the area's size.
QRect Place(const QRect &available, QSize size, int slot, std::optional<QPoint> remembered);

} // namespace WindowPlacement
