// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/windowplacement.h"

#include <algorithm>

namespace WindowPlacement {

namespace {

// How many steps down and to the right from `origin` a window of `size`
// may go and still lie wholly inside `area`: 0 when only origin fits.
int stepsThatFit(const QRect &area, QSize size, QPoint origin)
{
    const int acrossRoom = area.x() + area.width() - size.width() - origin.x();
    const int downRoom = area.y() + area.height() - size.height() - origin.y();
    return std::min(acrossRoom, downRoom) / CascadeStep;
}

} // namespace

QRect Place(const QRect &available, QSize size, int slot, std::optional<QPoint> remembered)
{
    size = size.boundedTo(available.size());
    slot = std::max(slot, 0);
    if (remembered && available.contains(QRect(*remembered, size))) {
        const int fromRemembered = stepsThatFit(available, size, *remembered) + 1;
        if (slot < fromRemembered)
            return {*remembered + QPoint(slot, slot) * CascadeStep, size};
        slot -= fromRemembered;
    }
    const QPoint corner = available.topLeft();
    const int step = slot % (stepsThatFit(available, size, corner) + 1);
    return {corner + QPoint(step, step) * CascadeStep, size};
}

} // namespace WindowPlacement
