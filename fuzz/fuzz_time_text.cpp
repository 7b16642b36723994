// SPDX-License-Identifier: GPL-3.0-or-later
// Any text in the hour, minute and date boxes: normalising always lands in
// range and reads back as itself; a commit always stores an hour or minute
// of the day.
#include "TextRules.h"
#include "TimeText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (int modulus : {24, 60}) {
        const QString normal = TimeText::Normalise(text, modulus);
        const double value = LeadingNumber(normal);
        if (value < 0 || value >= modulus || TimeText::Normalise(normal, modulus) != normal)
            std::abort();
        const qint16 stored = TimeText::Commit(text, modulus);
        if (stored < 0 || stored >= modulus)
            std::abort();
        TimeText::Step(text, 1, modulus - 1);
        TimeText::Step(text, -1, modulus - 1);
    }
    TimeText::Date(text);
    return 0;
}
