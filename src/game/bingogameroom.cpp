// SPDX-License-Identifier: GPL-3.0-or-later
// The host runs the room: typed commands and menu entries become requests
// to the hub, and what the hub says of the room becomes log lines and the
// state the window shows.
#include "game/bingogame.h"

#include "link/gamelink.h"
#include "link/roomrequest.h"
#include "support/playername.h"

#include <array>

using RoomRequest::Verb;

namespace {

struct RoomCommand
{
    const char16_t *typed;
    Verb verb;
};
// "/resume" is what a host types; on the wire it is the opposite of pause.
const std::array<RoomCommand, 7> RoomCommands{{
    {u"/remove", Verb::Remove},
    {u"/mute", Verb::Mute},
    {u"/unmute", Verb::Unmute},
    {u"/lock", Verb::Lock},
    {u"/unlock", Verb::Unlock},
    {u"/pause", Verb::Pause},
    {u"/resume", Verb::Unpause},
}};

// The listed name that is the same name as `name`, else empty.
QString listedAs(const QStringList &listed, const QString &name)
{
    const QString key = PlayerName::SameNameKey(name);
    for (const QString &player : listed) {
        if (PlayerName::SameNameKey(player) == key)
            return player;
    }
    return {};
}

} // namespace

bool BingoGame::runRoomCommand(const QString &typed)
{
    const QString command = typed.section(QLatin1Char(' '), 0, 0);
    const QString name = typed.section(QLatin1Char(' '), 1).trimmed();
    const auto known = std::find_if(RoomCommands.begin(), RoomCommands.end(),
                                    [&](const RoomCommand &c) { return command == QStringView(c.typed); });
    if (known == RoomCommands.end() || RoomRequest::NamesPlayer(known->verb) == name.isEmpty())
        return false; // not a room command as typed: refused as any other
    const QString player = listedAs(known->verb == Verb::Unmute ? m_room.muted : m_players, name);
    if (RoomRequest::NamesPlayer(known->verb) && (player.isEmpty() || player == m_myName)) {
        emit Log(LogKind::Announcement,
                 QStringLiteral("** %1 was not run: %2 is not a player here you could do that to.").arg(typed, name));
        return true;
    }
    switch (known->verb) {
    case Verb::Remove:
        emit RemoveAsked(player);
        break;
    case Verb::Mute:
    case Verb::Unmute:
        askRoom(RoomRequest::Word(known->verb), player);
        break;
    case Verb::Lock:
    case Verb::Unlock:
        SetLocked(known->verb == Verb::Lock);
        break;
    case Verb::Pause:
    case Verb::Unpause:
        SetPaused(known->verb == Verb::Pause);
        break;
    }
    return true;
}

void BingoGame::RemovePlayer(const QString &name)
{
    if (m_isHost)
        askRoom(RoomRequest::Word(Verb::Remove), name);
}

void BingoGame::SetLocked(bool locked)
{
    if (m_isHost)
        askRoom(RoomRequest::Word(locked ? Verb::Lock : Verb::Unlock));
}

void BingoGame::SetPaused(bool paused)
{
    if (!m_isHost)
        return;
    if (m_room.runs) {
        askRoom(RoomRequest::Word(paused ? Verb::Pause : Verb::Unpause));
        return;
    }
    // A hub of an earlier release cannot tell the others; the calling is
    // this window's own all the same.
    if (m_room.paused == paused)
        return;
    m_room.paused = paused;
    emit Log(LogKind::Announcement,
             paused ? QStringLiteral("** Calling is paused.") : QStringLiteral("** Calling goes on."));
    emit RoomChanged();
}

void BingoGame::askRoom(const QString &verb, const QString &name)
{
    if (!m_link.AskRoom(verb, name))
        emit Log(
            LogKind::Announcement,
            QStringLiteral("** Not done: this game's hub cannot do that (it is of an earlier release, or the link is "
                           "away)."));
}

void BingoGame::roomChanged(const QString &verb, const QString &name)
{
    // An account of all that holds starts from nothing; what held before
    // and still holds was said already.
    if (verb.isEmpty()) {
        m_roomBefore = std::exchange(m_room, RoomState{});
        m_room.runs = true;
        emit RoomChanged();
        return;
    }
    if (verb == RoomRequest::Word(Verb::Remove) && name == m_myName) {
        m_inProgress = false;
        emit RoundOver();
        linkDown(QStringLiteral("** %1 removed you from the game: you may close the window.").arg(PlayerName::Shown(m_hostName)), {});
        emit GameEnded();
        return;
    }
    const std::optional<QString> line = applyToRoom(verb, name);
    if (!line)
        return; // a later hub's word
    if (!line->isEmpty())
        emit Log(LogKind::Announcement, *line);
    emit RoomChanged();
}

std::optional<QString> BingoGame::applyToRoom(const QString &verb, const QString &name)
{
    // The names as shown: isolated, so a name in any script reads as written.
    const QString host = PlayerName::Shown(m_hostName), shown = PlayerName::Shown(name);
    const bool me = name == m_myName;
    const std::optional<Verb> request = RoomRequest::Read(verb);
    if (verb == RoomRequest::Locked || request == Verb::Lock || request == Verb::Unlock) {
        const bool said = verb == RoomRequest::Locked && m_roomBefore.locked;
        m_room.locked = request != Verb::Unlock;
        return said                   ? QString()
            : request == Verb::Lock   ? QStringLiteral("%1 locked the game: nobody new may join").arg(host)
            : request == Verb::Unlock ? QStringLiteral("%1 unlocked the game").arg(host)
                                      : QStringLiteral("The game is locked: nobody new may join");
    }
    if (verb == RoomRequest::Paused || request == Verb::Pause || request == Verb::Unpause) {
        const bool said = verb == RoomRequest::Paused && m_roomBefore.paused;
        m_room.paused = request != Verb::Unpause;
        return said                    ? QString()
            : request == Verb::Pause   ? QStringLiteral("%1 paused the calling").arg(host)
            : request == Verb::Unpause ? QStringLiteral("%1 resumed the calling").arg(host)
                                       : QStringLiteral("Calling is paused");
    }
    if (name.isEmpty())
        return std::nullopt;
    if (verb == RoomRequest::Muted || request == Verb::Mute) {
        const bool said = verb == RoomRequest::Muted && m_roomBefore.muted.contains(name);
        if (!m_room.muted.contains(name))
            m_room.muted << name;
        return said ? QString()
            : me    ? QStringLiteral("%1 muted your chat: the others do not see what you write").arg(host)
                    : QStringLiteral("%1 muted %2's chat").arg(host, shown);
    }
    if (request == Verb::Unmute) {
        m_room.muted.removeAll(name);
        return me ? QStringLiteral("%1 unmuted your chat").arg(host)
                  : QStringLiteral("%1 unmuted %2's chat").arg(host, shown);
    }
    if (request == Verb::Remove)
        return QStringLiteral("%1 removed %2 from the game").arg(host, shown);
    return std::nullopt;
}

void BingoGame::repeatCall()
{
    if (m_caller.CallCount() == 0)
        return;
    const int last = m_caller.Order().last();
    emit Log(LogKind::Announcement, QStringLiteral("** Once more: the number (%1).").arg(last));
    emit Speak(CallerText::Words(last));
    emit ViewChanged();
}
