// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the window tells a screen reader what just happened, without moving
// the player's focus. AT-SPI screen readers speak an object whose role is
// "notification" as it comes into view, so each announcement names the view
// with its words and shows it afresh. The view draws nothing and takes one
// pixel: the log shows the same news to the eye.

#include <QWidget>

class AnnouncementView : public QWidget
{
    Q_OBJECT
public:
    explicit AnnouncementView(QWidget *parent);

    // Hands the words to the screen reader now.
    void Say(const QString &words);
};
