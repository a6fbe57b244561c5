// Sounds, sound channels and the sound system.
//
// A sound is data in memory (WAV, MP3 or raw 16-bit PCM) played at once or
// queued on a sound channel, where queued sounds play one after another.
// Every sound is on one global list; the sound update (a main-loop hook, at
// most every 100 ms, sooner when a voice has just ended) restarts repeating
// sounds, starts the oldest waiting sound of each channel and deletes
// finished sounds that the engine owns and marked for deletion.
//
// Terms: the queue flag says the channel queues exist (InitSound to
// ShutdownSound); the driver flag says a device plays.  Without a driver
// the queues still exist, a sound's completion is reported at once, and a
// queued sound stays in its queue.
//
// Channel numbers run from 0 to NumQueues - 1.  A sound given any other
// channel reports error 16 when played queued and plays directly instead.
#pragma once
#include "core/CxError.h"
#include "events/CxEventSound.h"
#include "files/CxCachedObject.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxObject.h"
#include "foundation/CxString.h"

#include <cstdint>

class CxOptions;
class CxSound;

enum CxSoundFlags : uint32_t {
    SOUND_FLAG_QUEUED = 0x01,
    SOUND_FLAG_EXCLUSIVE = 0x02,
    SOUND_FLAG_UNLOAD_ON_STOP = 0x04,
    SOUND_FLAG_DELETE_WHEN_DONE = 0x08,
    SOUND_FLAG_LOOP = 0x10,
    SOUND_FLAG_MP3 = 0x20,
    SOUND_FLAG_WAIT = 0x40,
    SOUND_FLAG_RAW = 0x80,
    SOUND_FLAG_RAW_HEADER = 0x100,
};

enum CxSoundState : uint32_t {
    SOUND_STATE_PAUSED = 0x10000,
    SOUND_STATE_QUEUED = 0x20000,
    SOUND_STATE_PLAYING = 0x40000,
    SOUND_STATE_STARTED = 0x80000,
    SOUND_VOLUME_MASK = 0xFFFF,
};

constexpr int kMaxSoundChannels = 16;

struct CxWaveInfo {
    const uint8_t* data = nullptr;   // the first sample byte
    uint32_t rate = 0;
    uint32_t length = 0;             // bytes of sample data
    uint32_t samples = 0;
    uint16_t bits = 0;
    uint16_t channels = 0;
    bool compressed = false;
    uint16_t formatTag = 0;
    uint16_t blockAlign = 0;
};

// The chunk walk over a RIFF WAVE image (or raw PCM with SOUND_FLAG_RAW):
// 0, or 10 for anything that is not a readable WAVE image.  Never reads
// outside [data, data + size).
int ReadWaveInfo(const uint8_t* data, uint32_t size, uint32_t soundFlags, CxWaveInfo* info);

using CxSoundDoneCallback = void (*)(int code, CxSound* sound);

class CxSound : public CxObject, public CxError, public CxCachedObject, public CxEventSound {
public:
    CxSound();
    ~CxSound() override;

    virtual int  Play() override;
    virtual void Stop() override;
    virtual void Pause() override;
    virtual void Resume() override;
    virtual int  Load(const char* path);
    virtual int  LoadFromMemory(const void* bytes, uint32_t count, bool borrow);
    virtual void Unload();
    virtual void Update();
    virtual void SetFileName(const char* path) { FileName = path; }
    virtual const char* GetFileName() { return FileName.Text(); }
    virtual bool IsQueued() { return (VolumeState & SOUND_STATE_QUEUED) != 0; }
    virtual bool IsLoaded() { return Data != nullptr; }
    bool IsPaused() override { return (VolumeState & SOUND_STATE_PAUSED) != 0; }
    virtual bool IsStarted() { return (VolumeState & SOUND_STATE_STARTED) != 0; }
    virtual bool IsPlaying() { return (VolumeState & SOUND_STATE_PLAYING) != 0; }
    virtual bool IsDone() { return true; }
    virtual void SetVol(int volume);
    virtual int  GetVol() { return int(VolumeState & SOUND_VOLUME_MASK); }
    virtual int  StartSample() { return 0; }
    virtual void StopSample() {}
    virtual void PauseSample() {}
    virtual void ResumeSample() {}
    virtual int  Reverse();
    virtual int  RingMod(double frequency, double phase, double depth);
    virtual int  Compress();
    virtual int  Decompress();
    virtual bool IsCompressed();
    virtual int  GetWaveInfo(CxWaveInfo* info);
    virtual uint32_t GetSampleSize() { return 0; }
    virtual uint32_t GetSamplePosition() { return 0; }
    virtual void SetSampleRate(int) {}
    virtual int  GetSampleRate() { return 0; }

    // The event kinds' view.
    int  GetChannel() override { return Channel; }
    void PlayQueuedOn(int channel) override;
    bool IsEventDone() override;

    // Replaces the data with `bytes` (QorAlloc'd, taken over).
    void AdoptData(uint8_t* bytes, uint32_t count);

    CxString FileName;
    uint32_t Type = 0;
    uint32_t UserInfo = 0;
    uint32_t ID = 0;
    CxSoundDoneCallback DoneCallback = nullptr;
    void* Data = nullptr;
    uint32_t DataSize = 0;
    uint32_t SoundFlags = 0;
    int32_t NumLoops = 1;
    int32_t LoopsLeft = 0;
    int32_t Channel = -1;
    uint32_t VolumeState = 100;
    bool DataBorrowed = false;
    bool ScriptOwned = false;   // the script collector deletes it, never the update

protected:
    void CallDone();
    void PauseOthersOfType(bool pause);
};

// ------------------------------------------------------------- the system
struct CxSoundSettings {
    int numQueues = 8;
    int frequency = 22050;
    int bitsPerSample = 16;
    int numChannels = 1;
    int masterVolume = 100;
};

// Reads the "Engine.Sound" keys; 0, or 13 when no driver opened (the queues
// exist all the same).
int  InitSound(CxOptions& options);
int  InitSoundWith(const CxSoundSettings& settings);
void ShutdownSound();
bool IsSoundQueueReady();
bool IsSoundDriverOpen();
int  GetNumSoundQueues();

void SetMasterVolume(int volume);   // clamped to 0..127
int  GetMasterVolume();             // -1 without a driver
int  GetRememberedMasterVolume();   // the last level set, whatever the driver

void FlushAudioChannel(int channel);
void FlushAllAudioChannels();
bool IsAudioChannelFree(int channel);
int  GetAudioChannelCount(int channel);   // sounds waiting or playing on it

// Runs the update now when `force`, else when 100 ms have passed.
void RunSoundUpdate(bool force);
int  GetSoundCount();
bool IsSoundAlive(const CxSound* sound);

// Internal to the media folder: the queue of a channel, and the note a
// voice's end callback leaves so the next update runs at once.
CxLinkedList<CxSound*>* SoundChannelQueue(int channel);
void NoteSoundVoiceEnded();
