// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockTick.h"

#include "TextRules.h"

namespace {
const QString WeekdayLetters = QStringLiteral("SUNMONTUEWEDTHUFRISAT");
}

ClockFace ClockTick::Tick(QDate date, int hour, int minute) {
    ClockFace face;
    const int weekday = date.dayOfWeek() % 7 + 1; // 1 = Sunday .. 7 = Saturday
    face.Week = PadZero(qint16(date.month()), 2) + u'/' + PadZero(qint16(date.day()), 2) + u' ' +
                WeekdayLetters.mid(3 * weekday - 3, 3);
    face.Hour = PadZero(qint16(hour), 2);
    face.Minute = PadZero(qint16(minute), 2);
    Blink = qint16(1 - Blink);
    face.Scan = Blink == 1;
    face.Separator = face.Scan ? QStringLiteral(":") : QStringLiteral(" ");
    return face;
}
