// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// The number and text rules every part of the program shares: how a number is
// read from a text, how it is rounded, and how integers are written.

// The value of the number at the start of a text. Blanks, tabs and line feeds
// are skipped wherever they stand; then an optional sign, digits with at most
// one decimal point and an optional exponent. No number gives 0. A value beyond
// double range saturates at the largest finite double of its sign.
double LeadingNumber(QStringView text);

// Nearest integer, ties to even, clamped to the 16-bit range (never wrapped).
qint16 RoundHalfEven(double value);

// The number at the start of a text, rounded as RoundHalfEven: how every
// whole number is read back from a text.
qint16 LeadingInteger(QStringView text);

// Nearest integer, ties to even, clamped to the 32-bit range.
qint32 RoundHalfEven32(double value);

// An optional "-" and the digits: no blanks, no leading zeros.
QString PlainDecimal(qint64 value);

// The plain decimal text padded on the left with "0" and cut to its last
// `width` characters: PadZero(5, 2) is "05", PadZero(123, 2) is "23".
QString PadZero(qint16 value, int width);

// A time of day as "HH:MM".
QString HourMinute(qint16 hour, qint16 minute);

// A month and day as the file keeps it ("01/05") or as the editor shows it ("1/5").
QString DateText(qint16 month, qint16 day, bool padded);

// Whether a text begins with a URI scheme ("https:", "mailto:").
bool StartsWithScheme(const QString& text);

// What a slot launches: the text before the first "?" is the target, the
// rest its parameters; a URL (a text that starts with a scheme) is the whole
// text, having no parameters to pass.
struct ExecText {
    QString Target;
    QString Parameters;
};
ExecText SplitExec(const QString& text);
