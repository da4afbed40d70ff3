// The command line the chat host gives, cut into its pieces: the pieces
// always join back into the line, and only the last one may hold a space.
#include "fuzzsupport.h"

#include "support/commandline.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    QStringList arguments;
    while (!input.Empty() && arguments.size() < 16)
        arguments << input.Utf8(256);
    const QString text = CommandLine::FromArguments(arguments);
    const CommandLine line(text);

    FUZZ_CHECK(line.IsEmpty() == text.isEmpty());
    FUZZ_CHECK(line.PieceCount() <= 5);
    FUZZ_CHECK(line.IsEmpty() == (line.PieceCount() == 0));
    QStringList pieces;
    for (int i = 0; i < line.PieceCount(); ++i) {
        const auto piece = line.Piece(i);
        FUZZ_CHECK(piece.has_value());
        FUZZ_CHECK(i == 4 || i == line.PieceCount() - 1 || !piece->contains(QLatin1Char(' ')));
        pieces << *piece;
    }
    FUZZ_CHECK(!line.Piece(line.PieceCount()) && !line.Piece(-1));
    FUZZ_CHECK(pieces.join(QLatin1Char(' ')) == text);
    return 0;
}
