#include "game/interval.h"

#include "support/textnum.h"

#include <QString>

namespace Interval {

int Milliseconds(const QString &secondsText)
{
    if (secondsText.size() > 2)
        return DefaultMs;
    const std::optional<double> seconds = TextNum::RoundedValue(secondsText);
    // Two characters hold at most 99, so the product always fits.
    if (!seconds || *seconds < 0)
        return DefaultMs;
    return int(*seconds) * 1000;
}

} // namespace Interval
