// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StreamLevel.h"

#include <functional>

struct pa_context;
struct pa_threaded_mainloop;

// The client library's thread and the connection it serves, shared by
// whatever plays on it: it lasts while any playback still holds it, so that
// a playback whose file answers late finds it still there. Everything in it
// and every call into the library is made under its lock.
struct PulseLoop {
    PulseLoop();
    ~PulseLoop();
    PulseLoop(const PulseLoop&) = delete;
    PulseLoop& operator=(const PulseLoop&) = delete;

    // The connection, once it can be used; null while there is none.
    pa_context* Ready() const;
    // Wakes every thread waiting on the loop: something changed.
    void Signal();
    // Waits for Signal, the lock given up meanwhile.
    void Wait();

    pa_threaded_mainloop* const loop;
    pa_context* context = nullptr;
    // The level the streams of a ring play at.
    StreamLevel level;
    // Told when an output or the default one changes (on the library's thread).
    std::function<void(pa_context*)> outputsChanged;
};

// While it lives, the library's thread keeps off.
class PulseLock {
public:
    explicit PulseLock(const PulseLoop& pulse);
    ~PulseLock();
    PulseLock(const PulseLock&) = delete;
    PulseLock& operator=(const PulseLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};
