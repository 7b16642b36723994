// SPDX-License-Identifier: GPL-3.0-or-later
// A disk that takes its time: fsync waits 200 ms before it syncs, so that a
// journey can race an edit against a save. Preloaded (LD_PRELOAD).
#include <dlfcn.h>
#include <unistd.h>

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    usleep(200'000);
    return real(fd);
}
