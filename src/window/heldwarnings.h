// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Holds back the warnings Qt and its plugins write while one is in scope,
// for the caller to show in its own words or to let through. A sound
// backend with no sound server complains on standard error at every start;
// the window says so where the player looks instead.

#include <QStringList>
#include <QtGlobal>

class HeldWarnings
{
public:
    HeldWarnings();
    ~HeldWarnings();
    HeldWarnings(const HeldWarnings &) = delete;
    HeldWarnings &operator=(const HeldWarnings &) = delete;

    // The warnings held so far, oldest first.
    QStringList Held() const;
    // Sends the held warnings on to where they would have gone, and holds no more.
    void Release();

private:
    QtMessageHandler m_previous;
    bool m_released = false;
};
