// Where a movie's sound track goes.  The driver pushes decoded sound as it
// decodes the frames it belongs to, so a voice that plays what it is given
// at the given rate stays in step with the pictures.  While a sound device
// is open the sound system installs MakeMovieVoiceOutput, which plays the
// track on a mixer voice at the volume and pan SetVolumePan gives; without
// a factory (no device) the sound is decoded and dropped.
#pragma once
#include <cstddef>
#include <cstdint>

class CxMovieAudioOutput {
public:
    virtual ~CxMovieAudioOutput() = default;
    // Interleaved 16-bit stereo frames at the rate the output was made for.
    virtual void Submit(const int16_t* frames, size_t count) = 0;
    // Play or hold what was submitted; held sound waits for the next play.
    virtual void SetPlaying(bool playing) = 0;
    // Forgets what was submitted and not yet heard (a stop, a jump).
    virtual void Flush() = 0;
    // Volume 0..127, pan 0 (left) .. 127 (right), 64 centred.
    virtual void SetVolumePan(int volume, int pan) = 0;
};

using CxMovieAudioFactory = CxMovieAudioOutput* (*)(int sampleRate, int channels);

// Null removes the factory; movies opened afterwards are silent.
void SetMovieAudioFactory(CxMovieAudioFactory factory);
CxMovieAudioFactory GetMovieAudioFactory();
// The sound system's factory: an output on a voice of the open device's
// mixer, null while no device is open.
CxMovieAudioOutput* MakeMovieVoiceOutput(int sampleRate, int channels);
// The rate movies decode their sound at.
constexpr int kMovieAudioRate = 44100;
