// A joined game window taking any run of deliveries from its link: players
// coming and going, chat and commands. Every delivery adds at most one line
// to the chat log, however its text tries to break the line.
#include "fuzzsupport.h"
#include "fuzzwindow.h"

#include "game/routing.h"

#include <QTextEdit>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const bool host = input.Byte() & 1;
    Fuzz::FuzzWindow f(host ? QStringLiteral("x 77 K7 Ann Ann") : QStringLiteral("x 77 K7 Bob Ann"));
    FUZZ_CHECK(!f.window.Startup().has_value());
    const QTextDocument *log = f.window.findChild<QTextEdit *>(QStringLiteral("rtbChatIn"))->document();

    for (int count = 0; !input.Empty() && count < 256; ++count) {
        QString sender;
        switch (input.Byte() % 4) {
        case 0: sender = QStringLiteral("[Enter]"); break;
        case 1: sender = QStringLiteral("[Exit]"); break;
        default: sender = input.Utf8(64); break;
        }
        const QString payload = input.Utf8();
        const int before = log->blockCount();
        f.link.Deliver(sender, payload);
        const int added = log->blockCount() - before;
        FUZZ_CHECK(added == 0 || added == 1);
        if (Routing::RouteDelivery(sender, payload).action == Routing::Action::Log)
            FUZZ_CHECK(added == 1);
    }
    f.window.close();
    return 0;
}
