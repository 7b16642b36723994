// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputVolume.h"

#include <QHash>
#include <QMutex>
#include <memory>

struct PulseLoop;
class SoundServer;
struct pa_context;
struct pa_operation;
struct pa_server_info;
struct pa_sink_info;

// The outputs on the sound server's connection. Their state comes from the
// server's subscription, on the library's own thread; nothing is polled.
class PulseOutputVolume : public OutputVolume {
    Q_OBJECT
public:
    explicit PulseOutputVolume(SoundServer& server);
    ~PulseOutputVolume() override;

    Level Current() const override;
    Level Of(const QByteArray& output) const override;
    void Set(const Level& level) override;

private:
    struct Outputs {
        bool Known = false;
        QByteArray Default;
        QHash<QByteArray, Level> Levels;
        bool operator==(const Outputs&) const = default;
    };

    void Follow();
    // On the library's thread:
    static void OnServer(pa_context* context, const pa_server_info* info, void* self);
    static void OnSink(pa_context* context, const pa_sink_info* info, int eol, void* self);
    void Ask(pa_context* context);
    void Publish(const Outputs& outputs);

    std::shared_ptr<PulseLoop> pulse_;
    Outputs asked_;               // being gathered, under the loop's lock
    QList<pa_operation*> asking_; // under the loop's lock
    mutable QMutex mutex_;
    Outputs outputs_;
};
