// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Something that says text aloud. The window speaks calls and wins through
// one; the program's is Qt's text to speech, tests record what is said.

#include <QString>

class Speaker
{
public:
    virtual ~Speaker() = default;

    // Empty when the speaker can talk; else why it cannot, as a sentence for
    // the player.
    virtual QString Unavailable() = 0;
    // Starts saying text and returns at once; text given while the speaker
    // talks waits its turn.
    virtual void Say(const QString &text) = 0;
};
