#include "media/CxWave.h"

#include "platform/audio/PlatformAudio.h"

#include <cstring>

namespace {
uint32_t ReadSyncSafe(const uint8_t* p)
{
    return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) | (uint32_t(p[2] & 0x7F) << 7) |
           uint32_t(p[3] & 0x7F);
}

uint32_t ReadBigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void OnVoiceEnded(PlatVoice*, void*) { NoteSoundVoiceEnded(); }
}  // namespace

uint32_t SkipId3Tag(const uint8_t* data, uint32_t size)
{
    if (!data || size < 10 || memcmp(data, "ID3", 3) != 0 || data[3] != 3) return 0;
    uint64_t skip = uint64_t(ReadSyncSafe(data + 6)) + 10;
    if ((data[5] & 0x40) && size >= 14) skip += uint64_t(ReadBigEndian32(data + 10));
    return skip <= size ? uint32_t(skip) : 0;   // a size past the data is no tag at all
}

CxWave::CxWave() { Type = 1; }

CxWave::~CxWave()
{
    PlatVoiceRelease(voice_);
    voice_ = nullptr;
}

int CxWave::Load(const char* path)
{
    if (!IsSoundDriverOpen()) return 0;
    return CxSound::Load(path);
}

void CxWave::Unload()
{
    if (!IsSoundDriverOpen()) return;
    StopSample();
    CxSound::Unload();
}

void CxWave::Update()
{
    if (!IsSoundDriverOpen()) return;
    CxSound::Update();
}

bool CxWave::IsDone()
{
    if (!voice_) return true;
    int status = PlatVoiceStatus(voice_);
    return status != PLAT_VOICE_PLAYING && status != PLAT_VOICE_STOPPED;
}

void CxWave::SetVol(int volume)
{
    CxSound::SetVol(volume);
    if (voice_) PlatVoiceSetVolume(voice_, GetVol());
}

int CxWave::StartSample()
{
    if (!IsSoundDriverOpen()) {
        CallDone();
        return 0;
    }
    if (!Data && !FileName.IsEmpty()) Load(FileName.Text());
    if (errorCode_ || !Data) return errorCode_;
    StopSample();
    voice_ = PlatVoiceCreate(PlatAudioMixer());
    if (!voice_) return Error(ERR_UNKNOWN, "Could not allocate an HSAMPLE. (%s)", PlatAudioLastError());
    const auto* bytes = static_cast<const uint8_t*>(Data);
    bool loaded;
    if (SoundFlags & SOUND_FLAG_MP3) {
        uint32_t skip = SkipId3Tag(bytes, DataSize);
        loaded = PlatVoiceLoad(voice_, bytes + skip, DataSize - skip, PLAT_VOICE_MP3);
    } else if (SoundFlags & SOUND_FLAG_RAW) {
        loaded = PlatVoiceLoad(voice_, bytes, DataSize, PLAT_VOICE_RAW16, 22000);
    } else if (SoundFlags & SOUND_FLAG_RAW_HEADER) {
        // A short header of our own: rate (32-bit), then the 16-bit mono samples.
        uint32_t rate = 0;
        if (DataSize >= 4) memcpy(&rate, bytes, 4);
        loaded = DataSize >= 4 && rate > 0 && rate <= 192000 &&
                 PlatVoiceLoad(voice_, bytes + 4, DataSize - 4, PLAT_VOICE_RAW16, int(rate));
    } else {
        loaded = PlatVoiceLoad(voice_, bytes, DataSize, PLAT_VOICE_WAV);
    }
    if (!loaded) {
        int code = Error(ERR_INVALID_FILE_TYPE, "Could not play %s: %s", FileName.Text(), PlatAudioLastError());
        PlatVoiceRelease(voice_);
        voice_ = nullptr;
        return code;
    }
    PlatVoiceSetLoopCount(voice_, (SoundFlags & SOUND_FLAG_LOOP) ? NumLoops : 1);
    PlatVoiceSetVolume(voice_, GetVol());
    PlatVoiceSetPan(voice_, 64);
    if (rateOverride_ != -1) PlatVoiceSetRate(voice_, rateOverride_);
    PlatVoiceSetEndCallback(voice_, OnVoiceEnded, this);
    PlatVoiceStart(voice_);
    VolumeState |= SOUND_STATE_PLAYING;
    PlatAudioClearError();
    return 0;
}

void CxWave::StopSample()
{
    if (voice_) PlatVoiceRelease(voice_);
    voice_ = nullptr;
}

void CxWave::PauseSample()
{
    if (voice_) PlatVoiceStop(voice_);
}

void CxWave::ResumeSample()
{
    if (voice_) PlatVoiceResume(voice_);
}

uint32_t CxWave::GetSampleSize()
{
    if (!voice_) return 0;
    int64_t frames = PlatVoiceLength(voice_);
    return frames > 0 ? uint32_t(frames) : 0;
}

uint32_t CxWave::GetSamplePosition() { return voice_ ? uint32_t(PlatVoicePosition(voice_)) : 0; }

void CxWave::SetSampleRate(int rate)
{
    rateOverride_ = rate > 0 ? rate : -1;
    if (voice_) PlatVoiceSetRate(voice_, rateOverride_ > 0 ? rateOverride_ : 0);
}

int CxWave::GetSampleRate()
{
    if (voice_) return PlatVoiceGetRate(voice_);
    if (rateOverride_ > 0) return rateOverride_;
    CxWaveInfo info;
    if (Data && ReadWaveInfo(static_cast<const uint8_t*>(Data), DataSize, SoundFlags, &info) == 0)
        return int(info.rate);
    return 0;
}
