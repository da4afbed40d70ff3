// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/layoutscaler.h"

#include "window/ctlcard.h"

#include <QWidget>
#include <cmath>

LayoutScaler::LayoutScaler(QWidget &window, QSize design)
    : m_window(window)
    , m_design(design)
{}

double LayoutScaler::Factor() const
{
    return std::max(
        1.0, std::min(double(m_window.width()) / m_design.width(), double(m_window.height()) / m_design.height()));
}

QPoint LayoutScaler::Offset() const
{
    const double factor = Factor();
    return QPoint(int(std::lround((m_window.width() - m_design.width() * factor) / 2)),
                  int(std::lround((m_window.height() - m_design.height() * factor) / 2)));
}

void LayoutScaler::capture(QWidget &parent, bool scalesChildren)
{
    // Only the widgets the design placed: the window's children and the
    // children of its cards and groups. What lives inside a list or a text box follows its font.
    for (QWidget *widget : parent.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (widget->isWindow())
            continue;
        if (!m_designs.value(widget).widget) {
            // A widget first seen now was made at its designed place.
            m_designs.insert(widget,
                             {widget, widget->geometry(), widget->font(), widget->testAttribute(Qt::WA_SetFont)});
        }
        if (scalesChildren && (qobject_cast<ctlCard *>(widget) || widget->property(ScalesChildren).toBool()))
            capture(*widget, false);
    }
}

void LayoutScaler::Apply()
{
    const double factor = Factor();
    if (factor == 1.0 && m_designs.isEmpty())
        return; // never scaled: the design as built stays untouched
    capture(m_window, true);
    const QPoint offset = Offset();
    auto scaled = [factor](int value) { return int(std::lround(value * factor)); };
    for (const Design &design : std::as_const(m_designs)) {
        QWidget *widget = design.widget;
        if (!widget)
            continue;
        const QPoint origin = widget->parentWidget() == &m_window ? offset : QPoint();
        const QRect &place = design.place;
        widget->setGeometry(origin.x() + scaled(place.x()), origin.y() + scaled(place.y()), scaled(place.width()),
                            scaled(place.height()));
        if (factor == 1.0 && !design.ownFont) {
            widget->setFont(QFont());
            widget->setAttribute(Qt::WA_SetFont, false);
            continue;
        }
        QFont font = design.font;
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * factor);
        else
            font.setPixelSize(std::max(1, scaled(font.pixelSize())));
        widget->setFont(font);
    }
}
