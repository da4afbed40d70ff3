// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window opens on its screen.
#include "window/frmmain.h"

#include "window/windowoptions.h"
#include "window/windowplacement.h"

namespace {

// Before the window is first shown its frame is not known yet: room is kept
// for a usual title bar and border.
constexpr QSize DecorationAllowance(16, 40);

} // namespace

void frmMain::PlaceOn(const QRect &available, int slot)
{
    const QSize frame = frameGeometry().size() == size() ? size() + DecorationAllowance : frameGeometry().size();
    // A window's position is that of its frame's top-left corner.
    move(WindowPlacement::Place(available, frame, slot, m_options->RememberedPlace()).topLeft());
}
