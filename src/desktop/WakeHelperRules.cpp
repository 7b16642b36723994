// SPDX-License-Identifier: GPL-3.0-or-later
#include "WakeHelperRules.h"

#include <algorithm>
#include <charconv>

namespace WakeHelper {

namespace {

constexpr std::size_t LongestLine = 16;
constexpr long long OneDay = 24 * 3600;

// The number a "KEY value" line of login.defs gives KEY, if any.
std::optional<unsigned long> LoginDefsValue(std::string_view text, std::string_view key) {
    std::optional<unsigned long> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (line.substr(0, key.size()) != key || line.size() == key.size() ||
            (line[key.size()] != ' ' && line[key.size()] != '\t'))
            continue;
        line.remove_prefix(key.size());
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        unsigned long value = 0;
        if (std::from_chars(line.data(), line.data() + line.size(), value).ec == std::errc())
            found = value; // the last one counts, as for the tools that read it
    }
    return found;
}

} // namespace

bool MayWake(unsigned uid, std::string_view loginDefs) {
    const unsigned long first = LoginDefsValue(loginDefs, "UID_MIN").value_or(1000);
    const unsigned long last = LoginDefsValue(loginDefs, "UID_MAX").value_or(60000);
    return uid == 0 || (uid >= first && uid <= last);
}

std::vector<std::string> LineReader::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (char c : bytes) {
        if (c != '\n') {
            overlong_ = overlong_ || line_.size() >= LongestLine;
            if (!overlong_)
                line_ += c;
            continue;
        }
        if (!overlong_)
            lines.push_back(line_);
        line_.clear();
        overlong_ = false;
    }
    return lines;
}

std::optional<Request> Parse(std::string_view line, long long now) {
    if (line == "off")
        return Request{true, 0};
    if (line.empty() || line.size() > 12 || line.find_first_not_of("0123456789") != line.npos)
        return std::nullopt;
    long long at = 0;
    std::from_chars(line.data(), line.data() + line.size(), at);
    if (at < now - OneDay) // no time long past
        return std::nullopt;
    return Request{false, at};
}

} // namespace WakeHelper
