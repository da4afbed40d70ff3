// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few MQTT 3.1.1 packets the fan-out benchmark needs, at the byte level:
// CONNECT without will or login and with keep-alive off, SUBSCRIBE to one
// topic at QoS 0, PUBLISH at QoS 0. The benchmark speaks them itself rather
// than through a client library, so that a mosquitto client costs the same
// as a hub client and the figures compare the two servers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace MqttWire {

inline void appendLength(std::string &packet, size_t length)
{
    do {
        unsigned char byte = length % 128;
        length /= 128;
        if (length > 0)
            byte |= 0x80;
        packet.push_back(char(byte));
    } while (length > 0);
}

inline void appendText(std::string &body, std::string_view text)
{
    body.push_back(char(text.size() >> 8));
    body.push_back(char(text.size()));
    body.append(text);
}

inline std::string packet(unsigned char type, const std::string &body)
{
    std::string p(1, char(type));
    appendLength(p, body.size());
    p.append(body);
    return p;
}

inline std::string Connect(std::string_view clientId)
{
    std::string body;
    appendText(body, "MQTT");
    body.push_back(4); // protocol level 3.1.1
    body.push_back(0x02); // clean session
    body.push_back(0); // keep-alive 0: off
    body.push_back(0);
    appendText(body, clientId);
    return packet(0x10, body);
}

inline std::string Subscribe(std::string_view topic, uint16_t packetId)
{
    std::string body{char(packetId >> 8), char(packetId)};
    appendText(body, topic);
    body.push_back(0); // QoS 0
    return packet(0x82, body);
}

inline std::string Publish(std::string_view topic, std::string_view payload)
{
    std::string body;
    appendText(body, topic);
    body.append(payload);
    return packet(0x30, body);
}

// Hands each whole PUBLISH to onPublish(topic, payload) and each other packet
// to onOther(type); returns the bytes consumed, or SIZE_MAX when broken.
template<typename OnPublish, typename OnOther>
size_t Parse(const char *data, size_t size, OnPublish &&onPublish, OnOther &&onOther)
{
    size_t at = 0;
    while (size - at >= 2) {
        const auto *p = reinterpret_cast<const unsigned char *>(data + at);
        size_t length = 0, shift = 0, header = 1;
        for (;;) {
            if (header >= size - at)
                return at; // the length itself is not all here yet
            if (header > 4)
                return SIZE_MAX;
            length |= size_t(p[header] & 0x7f) << shift;
            shift += 7;
            if (!(p[header++] & 0x80))
                break;
        }
        if (size - at - header < length)
            break;
        const unsigned char type = p[0];
        if ((type & 0xf0) == 0x30) {
            if (length < 2)
                return SIZE_MAX;
            const size_t topicLength = size_t(p[header]) << 8 | p[header + 1];
            const size_t qosBytes = (type & 0x06) ? 2 : 0;
            if (2 + topicLength + qosBytes > length)
                return SIZE_MAX;
            const char *body = data + at + header;
            onPublish(std::string_view(body + 2, topicLength),
                      std::string_view(body + 2 + topicLength + qosBytes, length - 2 - topicLength - qosBytes));
        } else {
            onOther(type);
        }
        at += header + length;
    }
    return at;
}

} // namespace MqttWire
