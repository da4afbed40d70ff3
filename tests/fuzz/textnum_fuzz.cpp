// Text to whole number on any text. Whatever it takes must be the nearest
// whole number to what the text says, an exact half going to the even one,
// and the 16-bit and 32-bit readings must agree wherever both hold.
#include "fuzzsupport.h"

#include "support/textnum.h"

#include <cmath>
#include <cstdlib>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const QString text = input.Byte() & 1 ? input.Utf8() : input.Latin1();

    const auto rounded = TextNum::RoundedValue(text);
    const auto int16 = TextNum::ToInt16(text);
    const auto int32 = TextNum::ToInt32(text);
    if (!rounded) {
        FUZZ_CHECK(!int16 && !int32);
        return 0;
    }
    FUZZ_CHECK(std::nearbyint(*rounded) == *rounded);
    FUZZ_CHECK(!std::signbit(*rounded) || *rounded != 0);

    // The C library reads every text the rule takes, and more besides.
    const QByteArray ascii = text.trimmed().toLatin1();
    char *end = nullptr;
    const double value = std::strtod(ascii.constData(), &end);
    FUZZ_CHECK(end == ascii.constData() + ascii.size());
    const double distance = std::fabs(value - *rounded);
    FUZZ_CHECK(distance <= 0.5);
    if (distance == 0.5)
        FUZZ_CHECK(std::fmod(*rounded, 2.0) == 0);

    const bool in16 = *rounded >= std::numeric_limits<qint16>::min() && *rounded <= std::numeric_limits<qint16>::max();
    const bool in32 = *rounded >= std::numeric_limits<qint32>::min() && *rounded <= std::numeric_limits<qint32>::max();
    FUZZ_CHECK(int16.has_value() == in16);
    FUZZ_CHECK(int32.has_value() == in32);
    if (int16)
        FUZZ_CHECK(*int16 == *rounded && *int32 == *int16);
    if (int32)
        FUZZ_CHECK(*int32 == *rounded);
    return 0;
}
