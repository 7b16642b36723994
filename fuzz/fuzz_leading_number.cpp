// SPDX-License-Identifier: GPL-3.0-or-later
// Any text read as a number: a finite value, and rounding it stays in range.
#include "TextRules.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double value = LeadingNumber(text);
    if (!std::isfinite(value))
        std::abort();
    RoundHalfEven(value);
    RoundHalfEven32(value);
    return 0;
}
