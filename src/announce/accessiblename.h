// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt tells assistive technology of every accessible name it is given, even
// the one it already had; a screen reader may say it again. The window's
// names change only through here.

#include <QWidget>

inline void SetAccessibleName(QWidget &widget, const QString &name)
{
    if (widget.accessibleName() != name)
        widget.setAccessibleName(name);
}
