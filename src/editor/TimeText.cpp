// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeText.h"

#include "TextRules.h"

#include <QRegularExpression>
#include <cmath>

namespace TimeText {

QString Format(double value) {
    if (value == std::trunc(value) && std::abs(value) < 1e15)
        return PlainDecimal(qint64(value));
    return QString::number(value, 'g', 15);
}

QString Step(QStringView text, int delta, int largest) {
    double value = LeadingNumber(text) + delta;
    if (delta > 0 && value > largest)
        value -= largest + 1;
    else if (delta < 0 && value < 0)
        value += largest + 1;
    return Format(value);
}

QString Normalise(QStringView text, int modulus) {
    double value = std::fmod(LeadingNumber(text), double(modulus));
    if (value < 0)
        value += modulus;
    // A tiny negative value comes back as the modulus itself, in the sum or
    // in its text (-3e-14 + 24 prints as 24): that is 0.
    const QString shown = Format(value);
    return LeadingNumber(shown) >= modulus ? QStringLiteral("0") : shown;
}

qint16 Commit(QStringView text, int modulus) {
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!number.match(text).hasMatch())
        return 0;
    const qint32 rounded = RoundHalfEven32(LeadingNumber(text));
    return qint16(((rounded % modulus) + modulus) % modulus);
}

MonthDay Date(QStringView text) {
    const qsizetype slash = text.indexOf(u'/');
    const qsizetype dayStart = slash + 1; // 0 without a "/": the day is read like the month
    return {LeadingInteger(text.left(2)),
            LeadingInteger(text.mid(std::min(dayStart, text.size())).left(2))};
}

} // namespace TimeText
