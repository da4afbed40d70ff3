// SPDX-License-Identifier: GPL-3.0-or-later
#include "announce/announcementview.h"

#include "announce/accessiblename.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface *notificationFor(const QString &className, QObject *object)
{
    if (className != QLatin1String("AnnouncementView") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
}

} // namespace

AnnouncementView::AnnouncementView(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(notificationFor);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("lblAnnouncement"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    hide();
}

void AnnouncementView::Say(const QString &words)
{
    // Shown again, the view is news to the screen reader even when the
    // words are those of the last announcement.
    hide();
    SetAccessibleName(*this, words);
    show();
}
