// SPDX-License-Identifier: GPL-3.0-or-later
// vendrix-wake: holds the one timer that wakes the computer for Vendrix's
// next alarm, for a Vendrix that lacks CAP_WAKE_ALARM itself. Installed with
// that one file capability, it serves people's accounts only (root and the
// regular user ids of login.defs) and keeps no other privilege. Vendrix
// starts it and writes a line for each change: the wake time in seconds since
// the epoch, or "off"; anything else is ignored. It answers "set TIME" or
// "refused WHY" for each time, and "fired" when the timer fires. It ends when
// its input closes, so it never outlives Vendrix. Its exit codes are
// WakeHelper::Exit.
#include "WakeHelperRules.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <linux/capability.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

std::string LoginDefs() {
    std::ifstream file("/etc/login.defs");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A descriptor 0 to 2 left closed by whoever started the helper would become
// the timer, and a "fired" written to it would go to the timer.
bool StandardDescriptorsOpen() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) != fd)
            return false;
    }
    return true;
}

// Setting the timer needs the capability too: it is the only one kept, and
// the helper runs only when the kernel confirms it.
bool DropPrivileges() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct only[2]{};
    only[1].permitted = only[1].effective = 1u << (CAP_WAKE_ALARM - 32);
    __user_cap_data_struct now[2]{};
    return syscall(SYS_capset, &header, only) == 0 && syscall(SYS_capget, &header, now) == 0 &&
           std::memcmp(now, only, sizeof only) == 0 &&
           prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) == 0 &&
           prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0) == 1 && prctl(PR_SET_PDEATHSIG, SIGTERM) == 0;
}

int Create() {
    return timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
}

void Say(const std::string& line) {
    [[maybe_unused]] const ssize_t written = write(STDOUT_FILENO, line.data(), line.size());
}

// "off" closes the timer (the kernel would go on showing a disarmed alarm
// timer's last time); a time sets it, and the answer says whether it took.
void Handle(int& timer, const std::string& line) {
    const std::optional<WakeHelper::Request> request = WakeHelper::Parse(line, std::time(nullptr));
    if (!request)
        return;
    if (request->Off) {
        close(timer);
        timer = -1;
        return;
    }
    itimerspec when{};
    when.it_value.tv_sec = request->At;
    if (timer < 0)
        timer = Create();
    if (timer < 0 || timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr) != 0)
        return Say("refused " + std::string(std::strerror(errno)) + '\n');
    Say("set " + line + '\n');
}

} // namespace

int main() {
    if (!WakeHelper::MayWake(getuid(), LoginDefs()))
        return WakeHelper::AccountRefused;
    if (!StandardDescriptorsOpen())
        return WakeHelper::Unsafe;
    int timer = Create();
    if (timer < 0)
        return errno == EPERM ? WakeHelper::NoCapability : WakeHelper::NoWakeClock;
    if (!DropPrivileges())
        return WakeHelper::Unsafe;
    WakeHelper::LineReader reader;
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {timer, POLLIN, 0}};
    while (poll(watched, 2, -1) >= 0 || errno == EINTR) {
        std::uint64_t expirations = 0;
        if ((watched[1].revents & POLLIN) && read(timer, &expirations, sizeof expirations) > 0)
            Say("fired\n");
        if (watched[0].revents & (POLLERR | POLLNVAL))
            return 0;
        if (!(watched[0].revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[256];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0)
            return 0;
        for (const std::string& line : reader.Feed({buffer, std::size_t(got)}))
            Handle(timer, line);
        watched[1].fd = timer; // none while closed: poll passes over it
    }
    return 0;
}
