// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>

struct pa_context;
struct pa_cvolume;
struct pa_sink_input_info;

// The volume the streams of a ring play at: full and unmuted, whatever the
// server remembers for alarms or for Vendrix (a mute set once in a mixer
// would silence every later alarm). What the server gives a stream is
// checked once it plays, and corrected; a change the user makes to one of
// them during the ring holds for the rest of that ring. A ring is a run of
// streams without a pause of a few seconds between them.
//
// Everything runs on the sound library's thread, under its lock.
class StreamLevel {
public:
    StreamLevel();

    // The volume and mute a new stream of `channels` asks for.
    void Fill(pa_cvolume& volume, unsigned channels) const;
    bool Muted() const { return muted_; }
    // A stream of Vendrix plays as sink input `index`; a new ring begins
    // when none has played for a while.
    void Playing(pa_context* context, uint32_t index);
    void Ended(uint32_t index, uint64_t nowUs);
    // The server says sink input `index` changed.
    void Changed(pa_context* context, uint32_t index);
    // The connection went: its sink inputs with it.
    void Lost() { streams_.clear(); }

    // What a level shown by one of the ring's streams is: the ring's own,
    // one the user chose (the ring follows it), or the server's doing.
    enum class Shown { Other, Ring, Users, Servers };
    void Began(uint32_t index, uint64_t nowUs);
    Shown Judge(uint32_t index, bool muted, uint32_t volume);

private:
    static void OnInfo(pa_context* context, const pa_sink_input_info* info, int eol, void* self);
    void Check(pa_context* context, const pa_sink_input_info& info);

    // Per sink input: whether it has shown the ring's level since it began.
    std::map<uint32_t, bool> streams_;
    bool muted_ = false;
    uint32_t volume_;     // pa_volume_t
    uint64_t lastUs_ = 0; // when a stream last played or ended
};
