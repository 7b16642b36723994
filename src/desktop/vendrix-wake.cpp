// SPDX-License-Identifier: GPL-3.0-or-later
// vendrix-wake: holds the one timer that wakes the computer for Vendrix's
// next alarm, for a Vendrix that lacks CAP_WAKE_ALARM itself. Installed with
// that one file capability; it keeps no other privilege, not even that one
// once the timer is made. Vendrix starts it and writes a line for each
// change: the wake time in seconds since the epoch, or "off". Anything else
// is ignored. When the timer fires it writes "fired". It ends when its
// input closes, so it never outlives Vendrix.
//   exit 2: no CAP_WAKE_ALARM; exit 3: no clock that can wake the computer.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <linux/capability.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

void DropPrivileges() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2]{};
    syscall(SYS_capset, &header, none);
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
}

// "off", or up to twelve digits: a time from now to the far future.
void Handle(int timer, const std::string& line) {
    itimerspec when{};
    if (line != "off") {
        if (line.empty() || line.size() > 12 ||
            line.find_first_not_of("0123456789") != std::string::npos)
            return;
        when.it_value.tv_sec = std::stoll(line);
        if (when.it_value.tv_sec < std::time(nullptr) - 86400)
            return;
    }
    timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr);
}

} // namespace

int main() {
    const int timer = timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
    if (timer < 0)
        return errno == EPERM ? 2 : 3;
    DropPrivileges();
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {timer, POLLIN, 0}};
    std::string line;
    bool overlong = false;
    while (poll(watched, 2, -1) >= 0 || errno == EINTR) {
        std::uint64_t expirations = 0;
        if ((watched[1].revents & POLLIN) && read(timer, &expirations, sizeof expirations) > 0) {
            [[maybe_unused]] const ssize_t written = write(STDOUT_FILENO, "fired\n", 6);
        }
        if (!(watched[0].revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[256];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0)
            return 0;
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] != '\n') {
                overlong = overlong || line.size() >= 16;
                if (!overlong)
                    line += buffer[i];
                continue;
            }
            if (!overlong)
                Handle(timer, line);
            line.clear();
            overlong = false;
        }
    }
    return 0;
}
