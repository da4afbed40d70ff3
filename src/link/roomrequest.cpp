// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/roomrequest.h"

#include <array>
#include <utility>

namespace RoomRequest {

namespace {
const std::array<std::pair<Verb, const char16_t *>, 7> Words{{
    {Verb::Remove, u"remove"},
    {Verb::Mute, u"mute"},
    {Verb::Unmute, u"unmute"},
    {Verb::Lock, u"lock"},
    {Verb::Unlock, u"unlock"},
    {Verb::Pause, u"pause"},
    {Verb::Unpause, u"unpause"},
}};
} // namespace

QString Word(Verb verb)
{
    for (const auto &[known, word] : Words) {
        if (known == verb)
            return QString::fromUtf16(word);
    }
    return {};
}

std::optional<Verb> Read(const QString &word)
{
    for (const auto &[verb, known] : Words) {
        if (word == QStringView(known))
            return verb;
    }
    return std::nullopt;
}

bool NamesPlayer(Verb verb) { return verb == Verb::Remove || verb == Verb::Mute || verb == Verb::Unmute; }

} // namespace RoomRequest
