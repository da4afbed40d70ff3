// SPDX-License-Identifier: GPL-3.0-or-later
#include "announce/announcementview.h"

#include <QAccessibleWidget>

namespace {

const char *const NoticeProperty = "kalumoNotice";

QAccessibleInterface *noticeInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QWidget") || !object->property(NoticeProperty).toBool())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
}

} // namespace

AnnouncementView::AnnouncementView(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(noticeInterface);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("announcements"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
}

void AnnouncementView::Say(const QString &words)
{
    auto *notice = new QWidget(this);
    notice->setProperty(NoticeProperty, true);
    notice->setAccessibleName(words);
    notice->setGeometry(0, 0, 1, 1);
    notice->show();
    m_notices.append(notice);
    while (m_notices.size() > Kept)
        delete m_notices.takeFirst();
}
