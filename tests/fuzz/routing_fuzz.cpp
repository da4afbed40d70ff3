// The routing decision for any delivery. A chat line always shows behind a
// sender field of fixed width, and a line sent through ChatMessage comes back
// as the text typed, less its semicolons and cut to the chat line limit.
#include "fuzzsupport.h"

#include "game/routing.h"

using Routing::Action;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const QString sender = input.Utf8(64);
    const QString payload = input.Utf8();

    const QString field = Routing::SenderField(sender);
    FUZZ_CHECK(field.size() == Routing::SenderFieldWidth);

    const Routing::Route route = Routing::RouteDelivery(sender, payload);
    FUZZ_CHECK(route.logType >= 0 && route.logType <= 5);
    FUZZ_CHECK((route.action == Action::Log) == (route.logType == 3 || route.logType == 5));
    if (route.action == Action::Log && route.logType == 3)
        FUZZ_CHECK(route.text.startsWith(field));
    if (route.action == Action::Log && route.logType == 5)
        FUZZ_CHECK(route.text.startsWith(QLatin1Char('*')));

    if (sender != u"[Enter]" && sender != u"[Exit]") {
        const QString typed = payload;
        const Routing::Route chat = Routing::RouteDelivery(sender, Routing::ChatMessage(typed));
        QString line = typed;
        line.remove(QLatin1Char(';'));
        line = Routing::CutChatLine(line);
        if (line.startsWith(QLatin1Char('/'))) {
            FUZZ_CHECK(chat.action == Action::ChatCommand && chat.text == line.mid(1));
        } else if (!line.startsWith(QLatin1Char('\\'))) {
            FUZZ_CHECK(chat.action == Action::Log && chat.text == field + line);
        }
        const Routing::Route command = Routing::RouteDelivery(sender, Routing::CommandMessage(line));
        FUZZ_CHECK(command.action == Action::Command && command.text == line);
    }
    return 0;
}
