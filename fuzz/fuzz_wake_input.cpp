// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes on vendrix-wake's input, in any pieces: every line it acts on is
// "off" or a time of at most twelve digits, never long past; the account
// rule reads any login.defs.
#include "WakeHelperRules.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    constexpr long long now = 1'800'000'000;
    WakeHelper::LineReader reader;
    for (std::size_t at = 0; at < size; at += 7) {
        for (const std::string& line : reader.Feed(bytes.substr(at, 7))) {
            const auto request = WakeHelper::Parse(line, now);
            if (line.size() > 16 || (request && !request->Off &&
                                     (request->At < now - 86400 || request->At > 999'999'999'999)))
                std::abort();
        }
    }
    WakeHelper::MayWake(1000, bytes);
    return 0;
}
