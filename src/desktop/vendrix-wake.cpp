// SPDX-License-Identifier: GPL-3.0-or-later
// vendrix-wake: holds the one timer that wakes the computer for Vendrix's
// next alarm, for a Vendrix that lacks CAP_WAKE_ALARM itself. Installed with
// that one file capability, it keeps no other privilege (run by root, it
// drops the rest). Vendrix starts it and writes a line for each change: the
// wake time in seconds since the epoch, or "off"; anything else is ignored.
// When the timer fires it writes "fired". It ends when its input closes, so
// it never outlives Vendrix.
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

// Setting the timer needs the capability too: it is the only one kept.
void DropPrivileges() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct only[2]{};
    only[1].permitted = only[1].effective = 1u << (CAP_WAKE_ALARM - 32);
    syscall(SYS_capset, &header, only);
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
}

int Create() {
    return timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
}

// "off" closes the timer (the kernel would go on showing a disarmed alarm
// timer's last time); up to twelve digits, a time from now on, set it.
void Handle(int& timer, const std::string& line) {
    if (line == "off") {
        close(timer);
        timer = -1;
        return;
    }
    if (line.empty() || line.size() > 12 ||
        line.find_first_not_of("0123456789") != std::string::npos)
        return;
    itimerspec when{};
    when.it_value.tv_sec = std::stoll(line);
    if (when.it_value.tv_sec < std::time(nullptr) - 24 * 3600) // no time long past
        return;
    if (timer < 0)
        timer = Create();
    timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr);
}

} // namespace

int main() {
    int timer = Create();
    if (timer < 0)
        return errno == EPERM ? 2 : 3;
    DropPrivileges();
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {timer, POLLIN, 0}};
    std::string line;
    bool overlong = false;
    while (poll(watched, 2, -1) >= 0 || errno == EINTR) {
        watched[1].fd = timer; // none while closed: poll passes over it
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
            watched[1].fd = timer;
            line.clear();
            overlong = false;
        }
    }
    return 0;
}
