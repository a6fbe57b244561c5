// A movie's sound track on a queued mixer voice.  The driver submits each
// frame's sound as it shows the frame, so the voice runs only as far ahead
// of the pictures as the device's buffer; a late frame leaves a short
// silence instead of ending the voice.
#include "media/CxMovieAudio.h"

#include "platform/audio/PlatformAudio.h"

namespace {
class CxMovieVoiceOutput : public CxMovieAudioOutput {
public:
    explicit CxMovieVoiceOutput(PlatVoice* voice) : voice_(voice) {}
    ~CxMovieVoiceOutput() override { PlatVoiceRelease(voice_); }
    // Sound beyond what the queue holds is dropped: the movie is then far
    // ahead of the mixer, and queueing more would only put it out of step.
    void Submit(const int16_t* frames, size_t count) override { PlatVoiceQueue(voice_, frames, count); }
    void SetPlaying(bool playing) override
    {
        if (!playing) PlatVoiceStop(voice_);
        else if (PlatVoiceStatus(voice_) == PLAT_VOICE_STOPPED) PlatVoiceResume(voice_);
        else if (PlatVoiceStatus(voice_) != PLAT_VOICE_PLAYING) PlatVoiceStart(voice_);
    }
    void Flush() override { PlatVoiceFlushQueue(voice_); }
    void SetVolumePan(int volume, int pan) override
    {
        PlatVoiceSetVolume(voice_, volume);
        PlatVoiceSetPan(voice_, pan);
    }

private:
    PlatVoice* voice_;
};
}  // namespace

CxMovieAudioOutput* MakeMovieVoiceOutput(int sampleRate, int channels)
{
    PlatVoice* voice = PlatVoiceCreate(PlatAudioMixer());
    if (!voice) return nullptr;   // no device: the movie's sound is decoded and dropped
    if (!PlatVoiceLoadQueue(voice, sampleRate, channels)) {
        PlatVoiceRelease(voice);
        return nullptr;
    }
    return new CxMovieVoiceOutput(voice);
}
