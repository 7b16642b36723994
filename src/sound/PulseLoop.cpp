// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseLoop.h"

#include <pulse/pulseaudio.h>

PulseLoop::PulseLoop() : loop(pa_threaded_mainloop_new()) {
    pa_threaded_mainloop_set_name(loop, "vendrix-sound");
    pa_threaded_mainloop_start(loop);
}

PulseLoop::~PulseLoop() {
    pa_threaded_mainloop_stop(loop);
    if (context)
        pa_context_unref(context);
    pa_threaded_mainloop_free(loop);
}

pa_context* PulseLoop::Ready() const {
    return context && pa_context_get_state(context) == PA_CONTEXT_READY ? context : nullptr;
}

void PulseLoop::Signal() {
    pa_threaded_mainloop_signal(loop, 0);
}

void PulseLoop::Wait() {
    pa_threaded_mainloop_wait(loop);
}

PulseLock::PulseLock(const PulseLoop& pulse) : loop_(pulse.loop) {
    pa_threaded_mainloop_lock(loop_);
}

PulseLock::~PulseLock() {
    pa_threaded_mainloop_unlock(loop_);
}
