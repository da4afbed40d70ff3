// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A speaker that writes down what it is asked to say, or cannot talk.

#include "support/speaker.h"

#include <QStringList>

class RecordingSpeaker : public Speaker
{
public:
    QString Unavailable() override { return unavailable; }
    void Say(const QString &text) override { said << text; }

    QString unavailable; // why it cannot talk; empty: it can
    QStringList said;
};
