// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a window tells a screen reader what just happened, without moving
// the player's focus. AT-SPI screen readers speak an object whose role is
// "notification" as it comes into view, so each announcement is a new such
// object, named with its words and shown. Each keeps its words: a reader
// that asks for them late, after the next announcement, still gets its own.
// The view draws nothing and takes one pixel; the last Kept announcements
// stay in it, older ones are dropped.

#include <QList>
#include <QWidget>

class AnnouncementView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Kept = 8;

    explicit AnnouncementView(QWidget *parent);

    // Hands the words to the screen reader now.
    void Say(const QString &words);

private:
    QList<QWidget *> m_notices; // oldest first
};
