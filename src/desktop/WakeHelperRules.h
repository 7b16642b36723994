// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules of vendrix-wake, plain C++ so that the helper with its
// capability links nothing else, and so that they are tested on their own.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace WakeHelper {

// How vendrix-wake ends when it cannot serve, as Vendrix reads it back.
enum Exit { NoCapability = 2, NoWakeClock = 3, AccountRefused = 4, Unsafe = 5 };

// Whether the account may wake the computer: root, and the regular user
// accounts from UID_MIN to UID_MAX of login.defs (1000 to 60000 where it
// says nothing); never a system account or nobody.
bool MayWake(unsigned uid, std::string_view loginDefs);

// Cuts the input into lines; a line longer than any request is dropped whole.
class LineReader {
public:
    std::vector<std::string> Feed(std::string_view bytes);

private:
    std::string line_;
    bool overlong_ = false;
};

// A line's meaning: "off", or a wake time in seconds since the epoch (up to
// twelve digits, not a day or more before `now`); anything else is none.
struct Request {
    bool Off = false;
    long long At = 0;
};
std::optional<Request> Parse(std::string_view line, long long now);

} // namespace WakeHelper
