// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputVolume.h"

#include <QByteArray>
#include <QMutex>

struct pa_context;
struct pa_server_info;
struct pa_sink_info;
struct pa_threaded_mainloop;

// The default output through the PulseAudio client library, which
// PipeWire's PulseAudio server serves too. Its state comes from the
// server's subscription, on the library's own thread; nothing is polled.
// A server that cannot be reached is tried again every half minute.
class PulseOutputVolume : public OutputVolume {
    Q_OBJECT
public:
    PulseOutputVolume();
    ~PulseOutputVolume() override;

    Level Current() const override;
    void Set(const Level& level) override;

private:
    void Connect();
    // On the library's thread:
    static void OnContext(pa_context* context, void* self);
    static void OnServer(pa_context* context, const pa_server_info* info, void* self);
    static void OnSink(pa_context* context, const pa_sink_info* info, int eol, void* self);
    void Ask(pa_context* context);
    void Publish(const Level& level);

    pa_threaded_mainloop* loop_;
    pa_context* context_ = nullptr;
    QByteArray sink_; // the default output's name, under the loop's lock
    mutable QMutex mutex_;
    Level level_;
};
