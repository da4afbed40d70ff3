// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scales a window laid out at one designed size: the widgets on it, and the
// widgets on its cards and groups, keep their designed places and fonts multiplied by
// one factor, the largest that fits the window, and the design is centred.
// Until the window is first made larger nothing is touched, and at the
// designed size every place and font is the designed one again.

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>

class QWidget;

class LayoutScaler
{
public:
    // A widget on the window with this property set true has its children
    // placed by the design too, as a card's are.
    static constexpr const char *ScalesChildren = "kalumoScalesChildren";

    LayoutScaler(QWidget &window, QSize design);

    double Factor() const;
    // Where the design's top left corner lies in the window.
    QPoint Offset() const;
    // Places and sizes everything for the window's present size.
    void Apply();

private:
    struct Design
    {
        QPointer<QWidget> widget;
        QRect place;
        QFont font;
        bool ownFont;
    };
    void capture(QWidget &parent, bool scalesChildren);

    QWidget &m_window;
    QSize m_design;
    QHash<QWidget *, Design> m_designs;
};
