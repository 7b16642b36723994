// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackStream.h"

#include "PulseLoop.h"
#include "SoundServer.h"

#include <mutex>
#include <pulse/pulseaudio.h>
#include <thread>
#include <vector>

namespace {

constexpr qint64 BlockFrames = 4096;
constexpr pa_usec_t BufferedUs = 100'000; // enough to ride out a busy moment, little to cut
constexpr pa_usec_t PauseUs = 1'000'000;  // between tries of a stream the server refuses

} // namespace

// What the playback's thread and the window's thread share. Everything but
// `owner` is under the loop's lock.
struct PlaybackStream::Job {
    Job(std::shared_ptr<PulseLoop> loop, QByteArray title, PlaybackStream* told)
        : pulse(std::move(loop)), name(std::move(title)), owner(told) {}

    void Run(const SoundOpener& open);
    void Play(SoundSource& source);
    bool Ready();
    bool Feed(SoundSource& source, std::vector<float>& block);
    bool Connect(const SoundSource& source);
    void Drop();
    void Pause();
    void Cut();
    void Forget();
    template <typename Tell> void Post(Tell tell);
    void TellWaiting(Silence why, const QString& detail);
    void Fail(const QString& why);

    static void OnChange(pa_stream*, void* self) { static_cast<Job*>(self)->pulse->Signal(); }
    static void OnWritable(pa_stream*, size_t, void* self) { OnChange(nullptr, self); }
    static void OnStarted(pa_stream*, void* self);
    static void OnDrained(pa_stream*, int success, void* self);

    const std::shared_ptr<PulseLoop> pulse;
    const QByteArray name;
    bool stop = false;
    bool handedOver = false; // the whole source is with the server
    bool toldWaiting = false;
    bool heard = false;
    bool drained = false;
    pa_stream* stream = nullptr;
    uint32_t index = PA_INVALID_INDEX; // of the stream as the server plays it
    pa_operation* drain = nullptr;
    pa_time_event* pause = nullptr;

    std::mutex postMutex;
    PlaybackStream* owner; // null once nothing more is told
};

// The window's thread tells of it when the owner is still there to hear.
template <typename Tell> void PlaybackStream::Job::Post(Tell tell) {
    const std::lock_guard guard(postMutex);
    if (owner)
        QMetaObject::invokeMethod(
            owner, [o = owner, tell] { tell(o); }, Qt::QueuedConnection);
}

void PlaybackStream::Job::Forget() {
    const std::lock_guard guard(postMutex);
    owner = nullptr;
}

void PlaybackStream::Job::Cut() {
    const PulseLock lock(*pulse);
    stop = true;
    if (stream)
        pa_stream_disconnect(stream);
    pulse->Signal();
}

void PlaybackStream::Job::Run(const SoundOpener& open) {
    Result<std::unique_ptr<SoundSource>> source = open();
    if (!source)
        return Fail(source.Error().Why);
    Post([](PlaybackStream* o) {
        o->opened_ = true;
        o->answer_.stop();
    });
    Play(**source);
}

// Hands the source over as fast as the server takes it, then waits until
// the server has played it all; a stream lost meanwhile is made again.
void PlaybackStream::Job::Play(SoundSource& source) {
    std::vector<float> block(size_t(BlockFrames) * size_t(source.Channels()));
    const PulseLock lock(*pulse);
    while (!stop && !(handedOver && drained)) {
        if (pause || (!stream && !Connect(source)) || !Ready() || !Feed(source, block))
            pulse->Wait();
    }
    if (handedOver && drained)
        Post([](PlaybackStream* o) { emit o->ended(); });
    Drop();
    if (pause)
        pa_threaded_mainloop_get_api(pulse->loop)->time_free(std::exchange(pause, nullptr));
}

// Whether the stream can take samples; one the server lost is dropped.
bool PlaybackStream::Job::Ready() {
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        if (pulse->Ready())
            TellWaiting(Silence::Refused,
                        QString::fromUtf8(pa_strerror(pa_context_errno(pulse->context))));
        else
            TellWaiting(Silence::ServerGone, QStringLiteral("the sound server went away"));
        Drop();
        Pause();
    }
    if (state == PA_STREAM_READY && index == PA_INVALID_INDEX) {
        index = pa_stream_get_index(stream);
        pulse->level.Playing(pulse->context, index);
    }
    return stream && state == PA_STREAM_READY;
}

// One block read without the lock, so that a slow file holds up nothing
// else, and handed over; once all is, the server is asked to play it out.
// False when there is nothing to do but wait.
bool PlaybackStream::Job::Feed(SoundSource& source, std::vector<float>& block) {
    if (handedOver) {
        if (!drain)
            drain = pa_stream_drain(stream, &Job::OnDrained, this);
        return false;
    }
    const size_t frameBytes = sizeof(float) * size_t(source.Channels());
    const qint64 frames =
        std::min<qint64>(qint64(pa_stream_writable_size(stream) / frameBytes), BlockFrames);
    if (frames == 0)
        return false;
    pa_threaded_mainloop_unlock(pulse->loop);
    const Result<qint64> got = source.Read(block.data(), frames);
    pa_threaded_mainloop_lock(pulse->loop);
    if (!got) {
        stop = true;
        Fail(got.Error().Why);
        return true;
    }
    handedOver = *got == 0;
    if (*got > 0 && stream && pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_write(stream, block.data(), size_t(*got) * frameBytes, nullptr, 0,
                        PA_SEEK_RELATIVE);
    return true;
}

// A stream of its own on the connection, once there is one.
bool PlaybackStream::Job::Connect(const SoundSource& source) {
    pa_context* context = pulse->Ready();
    if (!context) {
        TellWaiting(Silence::NoServer, QStringLiteral("no sound server"));
        return false;
    }
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, uint32_t(source.Rate()),
                                uint8_t(source.Channels())};
    pa_channel_map map;
    pa_channel_map_init_extend(&map, format.channels, PA_CHANNEL_MAP_WAVEEX);
    pa_proplist* about = pa_proplist_new();
    pa_proplist_sets(about, PA_PROP_MEDIA_ROLE, "alarm");
    pa_proplist_sets(about, PA_PROP_MEDIA_NAME, name.constData());
    pa_proplist_sets(about, PA_PROP_APPLICATION_ICON_NAME, "vendrix");
    stream = pa_stream_new_with_proplist(context, name.constData(), &format, &map, about);
    pa_proplist_free(about);
    if (!stream) {
        stop = true;
        Fail(QString::fromUtf8(pa_strerror(pa_context_errno(context))));
        return false;
    }
    pa_stream_set_state_callback(stream, &Job::OnChange, this);
    pa_stream_set_write_callback(stream, &Job::OnWritable, this);
    pa_stream_set_started_callback(stream, &Job::OnStarted, this);
    const pa_buffer_attr buffer{uint32_t(-1), uint32_t(pa_usec_to_bytes(BufferedUs, &format)),
                                uint32_t(-1), uint32_t(-1), uint32_t(-1)};
    pa_cvolume volume;
    pulse->level.Fill(volume, format.channels);
    const auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY |
                          (pulse->level.Muted() ? PA_STREAM_START_MUTED : PA_STREAM_START_UNMUTED));
    pa_stream_connect_playback(stream, nullptr, &buffer, flags, &volume, nullptr);
    drained = false;
    return true;
}

void PlaybackStream::Job::Drop() {
    if (drain) {
        pa_operation_cancel(drain);
        pa_operation_unref(std::exchange(drain, nullptr));
    }
    if (!stream)
        return;
    if (index != PA_INVALID_INDEX)
        pulse->level.Ended(std::exchange(index, PA_INVALID_INDEX), pa_rtclock_now());
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_started_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_disconnect(stream);
    pa_stream_unref(std::exchange(stream, nullptr));
}

// A stream the server refused is not asked for again at once.
void PlaybackStream::Job::Pause() {
    timeval at{};
    pa_timeval_add(pa_gettimeofday(&at), PauseUs);
    pause = pa_threaded_mainloop_get_api(pulse->loop)
                ->time_new(
                    pa_threaded_mainloop_get_api(pulse->loop), &at,
                    [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
                        auto* job = static_cast<Job*>(self);
                        api->time_free(event);
                        job->pause = nullptr;
                        job->pulse->Signal();
                    },
                    this);
}

void PlaybackStream::Job::TellWaiting(Silence why, const QString& detail) {
    if (!std::exchange(toldWaiting, true))
        Post([why, detail](PlaybackStream* o) {
            if (o->server_)
                o->server_->Waiting(why, detail);
        });
}

void PlaybackStream::Job::Fail(const QString& why) {
    Post([why](PlaybackStream* o) {
        o->answer_.stop();
        emit o->failed(why);
    });
}

void PlaybackStream::Job::OnStarted(pa_stream*, void* self) {
    auto* job = static_cast<Job*>(self);
    job->toldWaiting = false;
    job->heard = true;
    job->Post([](PlaybackStream* o) {
        if (o->server_)
            o->server_->Heard();
    });
}

// A sound shorter than the buffer starts only as it drains.
void PlaybackStream::Job::OnDrained(pa_stream* stream, int success, void* self) {
    auto* job = static_cast<Job*>(self);
    pa_operation_unref(std::exchange(job->drain, nullptr));
    job->drained = success != 0;
    if (job->drained && !job->heard)
        OnStarted(stream, self);
    job->pulse->Signal();
}

PlaybackStream::PlaybackStream(SoundServer& server, SoundOpener open, const QString& name)
    : server_(&server), job_(std::make_shared<Job>(server.Pulse(), name.toUtf8(), this)) {
    answer_.setSingleShot(true);
    connect(&answer_, &QTimer::timeout, this, [this] {
        job_->Forget();
        job_->Cut();
        emit failed(NoAnswer);
    });
    answer_.start(AnswerMs);
    server.Attach();
    server.Want();
    std::thread([job = job_, open = std::move(open)] { job->Run(open); }).detach();
}

PlaybackStream::~PlaybackStream() {
    if (!abandoned_)
        Cut();
    if (server_)
        server_->Detach();
}

void PlaybackStream::Cut() {
    answer_.stop();
    job_->Forget();
    job_->Cut();
}

void PlaybackStream::Abandon() {
    abandoned_ = true;
    job_->Forget();
    answer_.stop();
    bool handedOver = false;
    {
        const PulseLock lock(*job_->pulse);
        handedOver = job_->handedOver;
    }
    if (!handedOver)
        job_->Cut();
}
