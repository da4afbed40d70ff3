// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/textnum.h"

#include <QRegularExpression>
#include <QString>

#include <cfenv>
#include <cmath>
#include <limits>

namespace TextNum {

std::optional<double> RoundedValue(const QString &text)
{
    // Digits with an optional point: "7", "7.", ".6", "-5", " 12 ".
    static const QRegularExpression decimal(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds in the current mode, which is to-nearest-even unless
    // somebody changed it; say so explicitly rather than rely on it.
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(oldMode);
    return rounded == 0.0 ? 0.0 : rounded; // no "-0"
}

template<typename T>
static std::optional<T> toInt(const QString &text)
{
    const auto value = RoundedValue(text);
    if (!value || *value < std::numeric_limits<T>::min() || *value > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(*value);
}

std::optional<qint16> ToInt16(const QString &text) { return toInt<qint16>(text); }
std::optional<qint32> ToInt32(const QString &text) { return toInt<qint32>(text); }

} // namespace TextNum
