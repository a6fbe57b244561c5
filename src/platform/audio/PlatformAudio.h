// The digital sound driver: one SDL audio device and a mixer of our own.
//
// Implements: opening and closing the device (frequency, bits, channels),
// a master level, voices with volume 0..127, pan 0..127 (64 = centre), loop
// count (0 = forever), playback rate (resampled through SDL's audio
// streams), position and status, and an end-of-sample callback that the
// main thread receives from PlatAudioDispatch, never on the mixing thread.
// Voice sources: WAV images (SDL's own loader), raw 16-bit PCM, MP3
// images that libmpg123 decodes a little at a time while mixing, and a
// queue of 16-bit frames the main thread fills while the voice plays.
//
// The mixer itself (PlatMixer*) runs without a device too, so tests and
// benchmarks can mix into their own buffers.  Output is 32-bit float stereo
// interleaved at the mixer's rate; the device converts to its own format.
//
// A device that is SDL's "dummy" driver counts as no device: nothing would
// ever be heard, and callers follow their no-driver rules instead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct PlatVoice;
struct PlatMixer;

enum PlatVoiceStatus : int {
    PLAT_VOICE_FREE = 1,      // no data given
    PLAT_VOICE_DONE = 2,      // ran to its end, or stopped before starting
    PLAT_VOICE_PLAYING = 4,
    PLAT_VOICE_STOPPED = 8,   // stopped part way; resumes where it was
};

enum PlatVoiceFormat : int {
    PLAT_VOICE_WAV = 0,       // a whole RIFF WAVE image
    PLAT_VOICE_MP3 = 1,       // an MP3 stream (any ID3 tag already skipped)
    PLAT_VOICE_RAW16 = 2,     // signed 16-bit little-endian samples
};

using PlatVoiceEndFn = void (*)(PlatVoice* voice, void* user);

// ------------------------------------------------------------- device
// False when no device opens (or only the dummy driver does); the reason is
// in PlatAudioLastError.  The device plays stereo whatever `channels` says,
// so pan always works.
bool PlatAudioOpen(int frequency, int bits, int channels);
void PlatAudioClose();
bool PlatAudioIsOpen();
PlatMixer* PlatAudioMixer();              // the device's mixer, null when closed
void  PlatAudioSetMasterLevel(float level);   // 0..1
float PlatAudioGetMasterLevel();
// Delivers the end-of-sample callbacks of every voice that finished since
// the last call.  Main thread only.
void PlatAudioDispatch();
const char* PlatAudioLastError();
void PlatAudioClearError();
void PlatAudioSetError(const char* text);

// ------------------------------------------------------------- mixer
PlatMixer* PlatMixerCreate(int frequency);
void PlatMixerDestroy(PlatMixer* mixer);
int  PlatMixerRate(const PlatMixer* mixer);
// Mixes `frames` stereo frames into `out` (overwritten).
void PlatMixerMix(PlatMixer* mixer, float* out, int frames);
void PlatMixerSetMasterLevel(PlatMixer* mixer, float level);
float PlatMixerGetMasterLevel(const PlatMixer* mixer);
void PlatMixerDispatch(PlatMixer* mixer);

// ------------------------------------------------------------- voices
PlatVoice* PlatVoiceCreate(PlatMixer* mixer);
void PlatVoiceRelease(PlatVoice* voice);
// The bytes stay the caller's and must outlive the voice's use of them.
// False (with PlatAudioLastError set) for data the decoder refuses.
bool PlatVoiceLoad(PlatVoice* voice, const void* data, size_t size, PlatVoiceFormat format, int rawRate = 22000);
// A voice fed by PlatVoiceQueue instead of a file (a movie's sound track).
// It never ends by itself: while its queue is dry it plays silence, and
// resumes as soon as more is queued.  Up to two seconds wait; PlatVoiceQueue
// returns how many of `count` frames it took.  Flushing forgets what is
// queued and not yet heard.
bool   PlatVoiceLoadQueue(PlatVoice* voice, int rate, int channels);
size_t PlatVoiceQueue(PlatVoice* voice, const int16_t* frames, size_t count);
void   PlatVoiceFlushQueue(PlatVoice* voice);
size_t PlatVoiceQueuedFrames(const PlatVoice* voice);   // not yet heard (approximate across rates)
void PlatVoiceSetVolume(PlatVoice* voice, int volume);    // clamped to 0..127
void PlatVoiceSetPan(PlatVoice* voice, int pan);          // clamped to 0..127
void PlatVoiceSetLoopCount(PlatVoice* voice, int count);  // 0 = forever
void PlatVoiceSetRate(PlatVoice* voice, int hz);          // 1000..384000 Hz; <= 0 the file's own
int  PlatVoiceGetRate(const PlatVoice* voice);            // the playback rate
int  PlatVoiceSourceRate(const PlatVoice* voice);         // the file's rate
void PlatVoiceSetEndCallback(PlatVoice* voice, PlatVoiceEndFn fn, void* user);
void PlatVoiceStart(PlatVoice* voice);     // from the beginning
void PlatVoiceStop(PlatVoice* voice);      // holds its place
void PlatVoiceResume(PlatVoice* voice);
int  PlatVoiceStatus(const PlatVoice* voice);
int64_t PlatVoicePosition(const PlatVoice* voice);   // source frames played in this pass
int64_t PlatVoiceLength(const PlatVoice* voice);     // source frames, -1 while unknown (MP3)
int  PlatVoiceChannels(const PlatVoice* voice);

// ------------------------------------------------------------- decoding
// A WAV image decoded by SDL's loader into 16-bit interleaved samples (the
// reference the engine's own ADPCM converter is held to).  False with
// PlatAudioLastError set for data SDL refuses.
bool PlatAudioDecodeWav(const void* data, size_t size, std::vector<int16_t>& samples, int* channels, int* rate);
