// Start-up of a game window with any command line and either answer from
// the join. It either joins and announces itself with its own fields, or it
// says "Error, Please Restart The Game!" and sends nothing at all; an empty
// line is a registration run, which never joins.
#include "fuzzsupport.h"
#include "fuzzwindow.h"

#include "link/linkrecord.h"
#include "support/commandline.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const bool joinAnswer = input.Byte() & 1;
    QStringList arguments;
    while (!input.Empty() && arguments.size() < 8)
        arguments << input.Utf8(128);
    Fuzz::FuzzWindow f(CommandLine::FromArguments(arguments));
    f.link.joinAnswer = joinAnswer;

    const std::optional<int> exitCode = f.window.Startup();
    if (CommandLine(CommandLine::FromArguments(arguments)).IsEmpty()) {
        // The registration run: it ends the program and never joins.
        FUZZ_CHECK(exitCode.has_value());
        FUZZ_CHECK(f.link.joinCalls.isEmpty() && f.link.sent.isEmpty());
    } else if (!exitCode) {
        FUZZ_CHECK(f.link.joinCalls.size() == 1);
        FUZZ_CHECK(f.link.sent.size() == 2);
        const CommandLine line(CommandLine::FromArguments(arguments));
        const QString key = line.Piece(2).value_or(QString()), name = line.Piece(3).value_or(QString());
        FUZZ_CHECK(f.link.sent.at(0) == LinkRecord::Identify(key, f.link.joinCalls.first().first));
        FUZZ_CHECK(f.link.sent.at(1) == LinkRecord::Announce(key, frmMain::Caption, name));
        FUZZ_CHECK(f.window.findChild<QWidget *>(QStringLiteral("cmdNewGame"))->isEnabled()
                   == (name == line.Piece(4).value_or(QString())));
        for (const ShownBox &box : std::as_const(f.boxes.shown))
            FUZZ_CHECK(box.kind == ShownBox::Plain);
    } else {
        FUZZ_CHECK(*exitCode == 1);
        FUZZ_CHECK(f.link.sent.isEmpty());
        FUZZ_CHECK(!f.boxes.shown.isEmpty() && f.boxes.shown.last().title == QStringLiteral("ERROR!"));
    }
    f.window.close();
    return 0;
}
