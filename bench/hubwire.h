// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kalumo-hub's wire format at the byte level, for clients that must cost
// little: frames of a 4-byte big-endian length and UTF-8 text, fields joined
// by U+00FF (hub/server/hub.h has the rules).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace HubWire {

inline constexpr std::string_view Separator = "\xC3\xBF"; // U+00FF in UTF-8
inline constexpr uint32_t MaxPayload = 65536;

inline std::string Frame(std::string_view payload)
{
    const auto n = uint32_t(payload.size());
    std::string frame{char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    frame.append(payload);
    return frame;
}

inline std::string Announce(std::string_view key, std::string_view name)
{
    std::string record = "G";
    record.append(Separator).append(key).append(Separator).append("A").append(Separator);
    record.append(" Kalumo Bingo").append(Separator).append(name).append(" Kalumo Bingo");
    return Frame(record);
}

inline std::string Message(std::string_view key, std::string_view text)
{
    std::string record = "G";
    record.append(Separator).append(key).append(Separator).append("C").append(Separator).append(text);
    return Frame(record);
}

// Hands each whole delivery in data to onDelivery(sender, text) and returns
// the bytes consumed, or SIZE_MAX for a frame over the limit or one without
// a sender.
template<typename OnDelivery>
size_t Parse(const char *data, size_t size, OnDelivery &&onDelivery)
{
    size_t at = 0;
    while (size - at >= 4) {
        const auto *p = reinterpret_cast<const unsigned char *>(data + at);
        const uint32_t length = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        if (length > MaxPayload)
            return SIZE_MAX;
        if (size - at - 4 < length)
            break;
        const std::string_view payload(data + at + 4, length);
        const size_t cut = payload.find(Separator);
        if (cut == std::string_view::npos)
            return SIZE_MAX;
        onDelivery(payload.substr(0, cut), payload.substr(cut + Separator.size()));
        at += 4 + length;
    }
    return at;
}

} // namespace HubWire
