// The mixer, its voices and the SDL device that pulls from it.
//
// Each voice owns an SDL audio stream from its source's format and its
// playback rate to float stereo at the mixer's rate; a rate change makes a
// new stream.  A queued voice's source is filled by the main thread under
// the same lock and drained by the mix.  The mixing thread and the main thread share the voices under
// one mutex, held for a whole mix call and for each voice operation; a
// voice that ends only marks itself, and PlatAudioDispatch (main thread)
// calls its end callback.
#include "platform/audio/PlatformAudio.h"

#include "platform/audio/PlatformAudioSource.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

struct PlatVoice {
    PlatMixer* mixer = nullptr;
    PlatAudioSource* source = nullptr;
    PlatQueueSource* queue = nullptr;   // the source again when it is a queue
    SDL_AudioStream* stream = nullptr;
    std::atomic<int> status{PLAT_VOICE_FREE};   // read by the main thread without the lock
    std::atomic<int> volume{127};
    std::atomic<int> pan{64};
    int loopCount = 1;
    int passes = 0;         // passes through the source finished since Start
    int rate = 0;           // playback rate; 0 = the source's
    std::atomic<int64_t> position{0};   // source frames handed to the stream in this pass
    bool sourceEnded = false;
    bool endPending = false;
    PlatVoiceEndFn endFn = nullptr;
    void* endUser = nullptr;
};

struct PlatMixer {
    int rate = 44100;
    std::atomic<float> master{1.0f};
    std::mutex lock;
    std::vector<PlatVoice*> voices;
    std::vector<float> scratch;
    std::vector<uint8_t> feed;
};

namespace {
std::string gError;
SDL_AudioDeviceID gDevice = 0;
PlatMixer* gDeviceMixer = nullptr;
bool gInitedSubsystem = false;
constexpr int kMaxQueuedSeconds = 2;

int PlayRate(const PlatVoice* v) { return v->rate > 0 ? v->rate : (v->source ? v->source->Rate() : 0); }

// A fresh stream for the voice's source at its playback rate; the old one's
// pending samples are dropped.  Called with the mixer locked.
void RebuildStream(PlatVoice* v)
{
    if (v->stream) SDL_FreeAudioStream(v->stream);
    v->stream = nullptr;
    if (!v->source) return;
    v->stream = SDL_NewAudioStream(v->source->Format(), Uint8(v->source->Channels()), PlayRate(v), AUDIO_F32SYS, 2,
                                   v->mixer->rate);
    if (!v->stream) gError = SDL_GetError();
}

// Tops the stream up until it holds `wanted` bytes or the source has ended;
// the source is rewound while loops remain.
void Feed(PlatVoice* v, int wanted)
{
    PlatMixer* m = v->mixer;
    int frameBytes = v->source->FrameBytes();
    size_t piece = size_t(std::max(1, 1024 / frameBytes)) * size_t(frameBytes) * 4;
    if (m->feed.size() < piece) m->feed.resize(piece);
    int rewindsWithoutData = 0;
    while (!v->sourceEnded && SDL_AudioStreamAvailable(v->stream) < wanted) {
        size_t got = v->source->Read(m->feed.data(), piece);
        if (got > 0) {
            SDL_AudioStreamPut(v->stream, m->feed.data(), int(got));
            v->position += int64_t(got) / frameBytes;
            rewindsWithoutData = 0;
            continue;
        }
        if (v->source->Endless()) break;   // dry for now: silence until more comes
        ++v->passes;
        bool again = v->loopCount == 0 || v->passes < v->loopCount;
        if (again && ++rewindsWithoutData < 2) {   // an empty source must not spin forever
            v->source->Rewind();
            v->position = 0;
            continue;
        }
        SDL_AudioStreamFlush(v->stream);
        v->sourceEnded = true;
    }
}

void MixVoice(PlatMixer* m, PlatVoice* v, float* out, int frames)
{
    int wanted = frames * 2 * int(sizeof(float));
    Feed(v, wanted);
    if (m->scratch.size() < size_t(frames) * 2) m->scratch.resize(size_t(frames) * 2);
    int got = SDL_AudioStreamGet(v->stream, m->scratch.data(), wanted);
    if (got < 0) got = 0;
    float gain = float(v->volume) / 127.0f * m->master;
    float left = gain * (v->pan <= 64 ? 1.0f : float(127 - v->pan) / 63.0f);
    float right = gain * (v->pan >= 64 ? 1.0f : float(v->pan) / 64.0f);
    int samples = got / int(sizeof(float));
    const float* in = m->scratch.data();
    for (int i = 0; i + 1 < samples; i += 2) {
        out[i] += in[i] * left;
        out[i + 1] += in[i + 1] * right;
    }
    if (v->sourceEnded && got < wanted && SDL_AudioStreamAvailable(v->stream) == 0) {
        v->status = PLAT_VOICE_DONE;
        v->endPending = true;
    }
}

void SDLCALL DeviceCallback(void* user, Uint8* stream, int length)
{
    auto* m = static_cast<PlatMixer*>(user);
    PlatMixerMix(m, reinterpret_cast<float*>(stream), length / int(2 * sizeof(float)));
}
}  // namespace

// ------------------------------------------------------------- mixer
PlatMixer* PlatMixerCreate(int frequency)
{
    auto* m = new PlatMixer;
    m->rate = frequency > 0 ? frequency : 44100;
    return m;
}

void PlatMixerDestroy(PlatMixer* mixer)
{
    if (!mixer) return;
    std::vector<PlatVoice*> voices;
    {
        std::lock_guard<std::mutex> hold(mixer->lock);
        voices.swap(mixer->voices);
    }
    for (PlatVoice* v : voices) {
        v->mixer = nullptr;   // the owners still release them; they no longer play
        if (v->stream) SDL_FreeAudioStream(v->stream);
        v->stream = nullptr;
        v->status = PLAT_VOICE_DONE;
    }
    delete mixer;
}

int PlatMixerRate(const PlatMixer* mixer) { return mixer ? mixer->rate : 0; }

void PlatMixerMix(PlatMixer* m, float* out, int frames)
{
    memset(out, 0, size_t(frames) * 2 * sizeof(float));
    std::lock_guard<std::mutex> hold(m->lock);
    for (PlatVoice* v : m->voices)
        if (v->status == PLAT_VOICE_PLAYING && v->stream) MixVoice(m, v, out, frames);
}

void PlatMixerSetMasterLevel(PlatMixer* m, float level)
{
    m->master = std::clamp(level, 0.0f, 1.0f);
}

float PlatMixerGetMasterLevel(const PlatMixer* m) { return m->master; }

void PlatMixerDispatch(PlatMixer* m)
{
    std::vector<PlatVoice*> ended;
    {
        std::lock_guard<std::mutex> hold(m->lock);
        for (PlatVoice* v : m->voices)
            if (v->endPending) {
                v->endPending = false;
                if (v->endFn) ended.push_back(v);
            }
    }
    // A callback may release its own voice or another one: look each up again.
    for (PlatVoice* v : ended) {
        bool alive;
        {
            std::lock_guard<std::mutex> hold(m->lock);
            alive = std::find(m->voices.begin(), m->voices.end(), v) != m->voices.end();
        }
        if (alive && v->endFn) v->endFn(v, v->endUser);
    }
}

// ------------------------------------------------------------- voices
PlatVoice* PlatVoiceCreate(PlatMixer* mixer)
{
    if (!mixer) return nullptr;
    auto* v = new PlatVoice;
    v->mixer = mixer;
    std::lock_guard<std::mutex> hold(mixer->lock);
    mixer->voices.push_back(v);
    return v;
}

void PlatVoiceRelease(PlatVoice* v)
{
    if (!v) return;
    if (PlatMixer* m = v->mixer) {
        std::lock_guard<std::mutex> hold(m->lock);
        m->voices.erase(std::remove(m->voices.begin(), m->voices.end(), v), m->voices.end());
    }
    if (v->stream) SDL_FreeAudioStream(v->stream);
    delete v->source;
    delete v;
}

bool PlatVoiceLoad(PlatVoice* v, const void* data, size_t size, PlatVoiceFormat format, int rawRate)
{
    if (!v || !v->mixer) return false;
    std::string error;
    PlatAudioSource* source = nullptr;
    switch (format) {
    case PLAT_VOICE_WAV: source = PlatMakeWavSource(data, size, error); break;
    case PLAT_VOICE_MP3: source = PlatMakeMp3Source(data, size, error); break;
    case PLAT_VOICE_RAW16: source = PlatMakeRawSource(data, size, rawRate, error); break;
    }
    if (!source) {
        gError = error;
        return false;
    }
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    delete v->source;
    v->source = source;
    v->queue = nullptr;
    v->status = PLAT_VOICE_DONE;
    v->endPending = false;
    RebuildStream(v);
    return v->stream != nullptr;
}

bool PlatVoiceLoadQueue(PlatVoice* v, int rate, int channels)
{
    if (!v || !v->mixer) return false;
    if (rate < kMinRate || rate > kMaxRate || channels < 1 || channels > 2) {
        gError = "a queued voice needs 1 or 2 channels at 1000..384000 Hz";
        return false;
    }
    auto* queue = new PlatQueueSource(rate, channels, size_t(rate) * kMaxQueuedSeconds);
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    delete v->source;
    v->source = v->queue = queue;
    v->status = PLAT_VOICE_DONE;
    v->endPending = false;
    RebuildStream(v);
    return v->stream != nullptr;
}

size_t PlatVoiceQueue(PlatVoice* v, const int16_t* frames, size_t count)
{
    if (!v || !v->mixer || !frames) return 0;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    return v->queue ? v->queue->Push(frames, count) : 0;
}

void PlatVoiceFlushQueue(PlatVoice* v)
{
    if (!v || !v->mixer) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    if (!v->queue) return;
    v->queue->Clear();
    if (v->stream) SDL_AudioStreamClear(v->stream);   // converted but not yet mixed
}

size_t PlatVoiceQueuedFrames(const PlatVoice* v)
{
    if (!v || !v->mixer) return 0;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    if (!v->queue) return 0;
    int inStream = v->stream ? SDL_AudioStreamAvailable(v->stream) : 0;
    return v->queue->Queued() + size_t(std::max(0, inStream)) / (2 * sizeof(float));
}

void PlatVoiceSetVolume(PlatVoice* v, int volume)
{
    if (v) v->volume = std::clamp(volume, 0, 127);
}

void PlatVoiceSetPan(PlatVoice* v, int pan)
{
    if (v) v->pan = std::clamp(pan, 0, 127);
}

void PlatVoiceSetLoopCount(PlatVoice* v, int count)
{
    if (!v || !v->mixer) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    v->loopCount = std::max(0, count);
}

void PlatVoiceSetRate(PlatVoice* v, int hz)
{
    if (!v || !v->mixer) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    int wanted = hz > 0 ? std::clamp(hz, kMinRate, kMaxRate) : 0;
    if (wanted == v->rate) return;
    v->rate = wanted;
    RebuildStream(v);
}

int PlatVoiceGetRate(const PlatVoice* v) { return v ? PlayRate(v) : 0; }
int PlatVoiceSourceRate(const PlatVoice* v) { return v && v->source ? v->source->Rate() : 0; }

void PlatVoiceSetEndCallback(PlatVoice* v, PlatVoiceEndFn fn, void* user)
{
    if (!v || !v->mixer) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    v->endFn = fn;
    v->endUser = user;
}

void PlatVoiceStart(PlatVoice* v)
{
    if (!v || !v->mixer || !v->source) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    v->source->Rewind();
    if (v->stream) SDL_AudioStreamClear(v->stream);
    v->passes = 0;
    v->position = 0;
    v->sourceEnded = false;
    v->endPending = false;
    v->status = v->stream ? PLAT_VOICE_PLAYING : PLAT_VOICE_DONE;
}

void PlatVoiceStop(PlatVoice* v)
{
    if (!v || !v->mixer) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    if (v->status == PLAT_VOICE_PLAYING) v->status = PLAT_VOICE_STOPPED;
}

void PlatVoiceResume(PlatVoice* v)
{
    if (!v || !v->mixer) return;
    std::lock_guard<std::mutex> hold(v->mixer->lock);
    if (v->status == PLAT_VOICE_STOPPED) v->status = PLAT_VOICE_PLAYING;
}

int PlatVoiceStatus(const PlatVoice* v) { return v ? v->status.load() : int(PLAT_VOICE_FREE); }
int64_t PlatVoicePosition(const PlatVoice* v) { return v ? v->position.load() : 0; }
int64_t PlatVoiceLength(const PlatVoice* v) { return v && v->source ? v->source->Frames() : 0; }
int PlatVoiceChannels(const PlatVoice* v) { return v && v->source ? v->source->Channels() : 0; }

// ------------------------------------------------------------- device
bool PlatAudioOpen(int frequency, int bits, int channels)
{
    (void)bits;       // the mixer works in float and SDL converts to the device
    (void)channels;   // always stereo, so that pan is heard
    if (gDevice) return true;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            gError = SDL_GetError();
            return false;
        }
        gInitedSubsystem = true;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || strcmp(driver, "dummy") == 0) {
        gError = "no audio device (dummy driver)";
        PlatAudioClose();
        return false;
    }
    gDeviceMixer = PlatMixerCreate(frequency);
    SDL_AudioSpec want{}, have{};
    want.freq = gDeviceMixer->rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = DeviceCallback;
    want.userdata = gDeviceMixer;
    gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!gDevice) {
        gError = SDL_GetError();
        PlatAudioClose();
        return false;
    }
    SDL_PauseAudioDevice(gDevice, 0);
    return true;
}

void PlatAudioClose()
{
    if (gDevice) SDL_CloseAudioDevice(gDevice);   // waits for the mixing thread
    gDevice = 0;
    PlatMixerDestroy(gDeviceMixer);
    gDeviceMixer = nullptr;
    if (gInitedSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    gInitedSubsystem = false;
}

bool PlatAudioIsOpen() { return gDevice != 0; }
PlatMixer* PlatAudioMixer() { return gDeviceMixer; }

void PlatAudioSetMasterLevel(float level)
{
    if (gDeviceMixer) PlatMixerSetMasterLevel(gDeviceMixer, level);
}

float PlatAudioGetMasterLevel() { return gDeviceMixer ? PlatMixerGetMasterLevel(gDeviceMixer) : 0.0f; }

void PlatAudioDispatch()
{
    if (gDeviceMixer) PlatMixerDispatch(gDeviceMixer);
}

const char* PlatAudioLastError() { return gError.c_str(); }
void PlatAudioClearError() { gError.clear(); }
void PlatAudioSetError(const char* text) { gError = text ? text : ""; }
