// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// The editor's text conversions for the hour and minute boxes and the date.
namespace TimeText {

// The box's number stepped by delta (+1 or -1), wrapped once where the step
// leaves 0..largest; a value already out of range is stepped and wrapped at
// most once (30 up gives 7, 30 down gives 29).
QString Step(QStringView text, int delta, int largest);

// The box's number reduced modulo `modulus` into 0 <= v < modulus, fraction
// kept; any magnitude, in constant time.
QString Normalise(QStringView text, int modulus);

// The whole text as a number, rounded half to even and kept within the day
// (23.5 hours becomes 0, not 24). A text that is not a number gives 0.
qint16 Commit(QStringView text, int modulus);

// Month and day of a date text: the first two characters, and the two after
// the first "/" (the first two when there is none).
struct MonthDay {
    qint16 Month;
    qint16 Day;
};
MonthDay Date(QStringView text);

// A number as the boxes show it: whole numbers as plain digits.
QString Format(double value);

} // namespace TimeText
