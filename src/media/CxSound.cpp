#include "media/CxSound.h"

#include "core/CxMainLoopHook.h"
#include "core/CxOptions.h"
#include "core/CxTime.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"
#include "media/CxMovieAudio.h"
#include "platform/audio/PlatformAudio.h"
#include "platform/os/PlatformSystem.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// ------------------------------------------------------------- system state
namespace {
struct SoundSystem {
    bool queueFlag = false;
    bool driverFlag = false;
    int numQueues = 0;
    CxLinkedList<CxSound*> queues[kMaxSoundChannels];
    CxLinkedList<CxSound*> sounds;
    bool listChanged = false;
    int masterVolume = 100;
    uint32_t lastUpdate = 0;
    bool updatedOnce = false;
    bool voiceEnded = false;
};
SoundSystem gSystem;

class SoundUpdateHook : public CxMainLoopHook {
public:
    void OnMainLoop() override
    {
        PlatAudioDispatch();   // end-of-sample callbacks, on this thread
        RunSoundUpdate(false);
    }
};
SoundUpdateHook* gHook = nullptr;
}  // namespace

int InitSoundWith(const CxSoundSettings& settings)
{
    ShutdownSound();
    gSystem.numQueues = std::clamp(settings.numQueues, 0, kMaxSoundChannels);
    gSystem.queueFlag = true;
    gSystem.updatedOnce = false;
    gHook = new SoundUpdateHook;
    gSystem.driverFlag = PlatAudioOpen(settings.frequency, settings.bitsPerSample, settings.numChannels);
    if (gSystem.driverFlag) SetMovieAudioFactory(MakeMovieVoiceOutput);   // movies opened from now on are heard
    SetMasterVolume(settings.masterVolume);
    return gSystem.driverFlag ? 0 : ERR_UNKNOWN;
}

int InitSound(CxOptions& options)
{
    CxSoundSettings s;
    s.numQueues = options.ReadInt("Engine.Sound", "NumQueues", 8);
    s.frequency = options.ReadInt("Engine.Sound", "Frequency", 22050);
    s.bitsPerSample = options.ReadInt("Engine.Sound", "BitsPerSample", 16);
    s.numChannels = options.ReadInt("Engine.Sound", "NumChannels", 1);
    s.masterVolume = options.ReadInt("Engine.Sound", "MasterVolume", 100);
    // "MixFragmentCount", "UseDirectSound" and "Engine.Sound.MSS"/"RedistPath"
    // chose among Windows back ends; SDL picks its own.
    return InitSoundWith(s);
}

void ShutdownSound()
{
    if (!gSystem.queueFlag && !gHook) return;
    // Finished sounds the engine was to delete go first; the walk restarts
    // whenever a deletion changes the list.
    for (bool again = true; again;) {
        again = false;
        for (auto* node = gSystem.sounds.GetHead(); node; node = node->next) {
            CxSound* sound = node->value;
            if ((sound->SoundFlags & SOUND_FLAG_DELETE_WHEN_DONE) && !sound->ScriptOwned) {
                delete sound;
                again = true;
                break;
            }
        }
    }
    for (auto* node = gSystem.sounds.GetHead(); node; node = node->next) node->value->Stop();
    for (auto& queue : gSystem.queues) queue.RemoveAll();
    gSystem.queueFlag = false;
    gSystem.numQueues = 0;
    delete gHook;
    gHook = nullptr;
    for (auto* node = gSystem.sounds.GetHead(); node; node = node->next) node->value->StopSample();
    // Movies still open keep voices of the closing mixer, which fall silent
    // but stay safe to use and release.
    if (GetMovieAudioFactory() == MakeMovieVoiceOutput) SetMovieAudioFactory(nullptr);
    PlatAudioClose();
    gSystem.driverFlag = false;
}

bool IsSoundQueueReady() { return gSystem.queueFlag; }
bool IsSoundDriverOpen() { return gSystem.driverFlag; }
int GetNumSoundQueues() { return gSystem.numQueues; }

void SetMasterVolume(int volume)
{
    gSystem.masterVolume = std::clamp(volume, 0, 127);
    PlatAudioSetMasterLevel(float(gSystem.masterVolume) / 127.0f);
}

int GetMasterVolume()
{
    if (!gSystem.driverFlag) return -1;
    return int(PlatAudioGetMasterLevel() * 127.99f);
}

int GetRememberedMasterVolume() { return gSystem.masterVolume; }

void FlushAudioChannel(int channel)
{
    if (!gSystem.queueFlag) return;
    for (bool again = true; again;) {   // Stop may run callbacks that change the list
        again = false;
        gSystem.listChanged = false;
        for (auto* node = gSystem.sounds.GetHead(); node; node = node->next) {
            CxSound* sound = node->value;
            if (sound->Channel != channel || !(sound->IsQueued() || sound->IsPlaying())) continue;
            sound->Stop();
            if (gSystem.listChanged) {
                again = true;
                break;
            }
        }
    }
}

void FlushAllAudioChannels()
{
    for (int channel = 0; channel < kMaxSoundChannels; ++channel) FlushAudioChannel(channel);
}

bool IsAudioChannelFree(int channel)
{
    if (!gSystem.queueFlag || channel < 0 || channel >= gSystem.numQueues) return false;
    return gSystem.queues[channel].IsEmpty();
}

int GetAudioChannelCount(int channel)
{
    if (channel < 0 || channel >= gSystem.numQueues) return 0;
    return gSystem.queues[channel].GetCount();
}

CxLinkedList<CxSound*>* SoundChannelQueue(int channel)
{
    if (!gSystem.queueFlag || channel < 0 || channel >= gSystem.numQueues) return nullptr;
    return &gSystem.queues[channel];
}

void RunSoundUpdate(bool force)
{
    uint32_t now = QorTickCount();
    bool due = force || !gSystem.updatedOnce || now - gSystem.lastUpdate > 100 || gSystem.voiceEnded;
    if (!due) return;
    gSystem.updatedOnce = true;
    gSystem.lastUpdate = now;
    gSystem.voiceEnded = false;
    auto* node = gSystem.sounds.GetHead();
    gSystem.listChanged = false;
    int guard = 0;
    while (node && guard++ < 100000) {
        CxSound* sound = node->value;
        auto* next = node->next;
        sound->Update();
        if (gSystem.listChanged) {   // a sound came or went: start again from the head
            gSystem.listChanged = false;
            node = gSystem.sounds.GetHead();
            continue;
        }
        if (sound->IsStarted() && sound->IsDone() && (sound->SoundFlags & SOUND_FLAG_DELETE_WHEN_DONE) &&
            !sound->ScriptOwned) {
            delete sound;
            gSystem.listChanged = false;
            node = gSystem.sounds.GetHead();
            continue;
        }
        node = next;
    }
}

int GetSoundCount() { return gSystem.sounds.GetCount(); }
bool IsSoundAlive(const CxSound* sound) { return gSystem.sounds.Find(const_cast<CxSound*>(sound)) != nullptr; }

// A voice that ends asks for the next update at once, so the next sound of
// its channel follows without waiting out the 100 ms.
void NoteSoundVoiceEnded() { gSystem.voiceEnded = true; }

// ------------------------------------------------------------- CxSound
CxSound::CxSound() : CxCachedObject(&Data, &DataSize)
{
    gSystem.sounds.AddTail(this);
    gSystem.listChanged = true;
}

CxSound::~CxSound()
{
    if (auto* node = gSystem.sounds.Find(this)) gSystem.sounds.RemoveAt(node);
    for (auto& queue : gSystem.queues)
        if (auto* node = queue.Find(this)) queue.RemoveAt(node);
    gSystem.listChanged = true;
    if (Data && !DataBorrowed) QorFree(Data);
    Data = nullptr;
}

void CxSound::SetVol(int volume)
{
    VolumeState = (VolumeState & ~uint32_t(SOUND_VOLUME_MASK)) | uint32_t(std::clamp(volume, 0, 127));
}

void CxSound::CallDone()
{
    if (DoneCallback) DoneCallback(0, this);
}

void CxSound::PauseOthersOfType(bool pause)
{
    for (auto* node = gSystem.sounds.GetHead(); node; node = node->next) {
        CxSound* other = node->value;
        if (other == this || other->Type != Type) continue;
        if (pause) other->Pause();
        else other->Resume();
    }
}

int CxSound::Load(const char* path)
{
    if (!gSystem.driverFlag || !gSystem.queueFlag || errorCode_) return errorCode_;
    Unload();
    QorFileHandle* file = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!file) return Error(ERR_OPEN_FILE, "Could not open sound file: %s", path);
    int32_t length = QorFileGetHandleLength(file);
    if (length < 0) length = 0;
    auto* bytes = static_cast<uint8_t*>(QorAlloc(size_t(length) + 1, __FILE__, __LINE__, false));
    if (!bytes) {
        QorFileClose(file);
        return Error(ERR_UNKNOWN, "Could not allocate %d bytes for %s", length, path);
    }
    uint32_t read = 0;
    if (QorFileRead(file, bytes, uint32_t(length), &read) != 0 || read != uint32_t(length)) {
        QorFileClose(file);
        QorFree(bytes);
        return Error(ERR_READ_FILE, "Error reading soundbuffer from %s", path);
    }
    QorFileClose(file);
    AdoptData(bytes, uint32_t(length));
    FileName = path;
    if (TextContains(path, ".MP3", true)) SoundFlags |= SOUND_FLAG_MP3;
    else if (TextContains(path, ".RAW", true)) SoundFlags |= SOUND_FLAG_RAW;
    return 0;
}

int CxSound::LoadFromMemory(const void* bytes, uint32_t count, bool borrow)
{
    Unload();
    if (borrow) {
        Data = const_cast<void*>(bytes);
        DataSize = count;
        DataBorrowed = true;
        return 0;
    }
    auto* copy = static_cast<uint8_t*>(QorAlloc(count ? count : 1, __FILE__, __LINE__, false));
    if (!copy) return Error(ERR_OUT_OF_MEMORY, "Could not allocate buffer for sound");
    if (count) memcpy(copy, bytes, count);
    AdoptData(copy, count);
    return 0;
}

void CxSound::AdoptData(uint8_t* bytes, uint32_t count)
{
    if (Data && !DataBorrowed) QorFree(Data);
    Data = bytes;
    DataSize = count;
    DataBorrowed = false;
}

void CxSound::Unload()
{
    if (Data && !DataBorrowed) QorFree(Data);
    Data = nullptr;
    DataSize = 0;
    DataBorrowed = false;
}

void CxSound::PlayQueuedOn(int channel)
{
    SoundFlags |= SOUND_FLAG_QUEUED;
    Channel = channel;
}

bool CxSound::IsEventDone()
{
    // A sound waiting its turn in a channel is not done, unless no driver
    // will ever start it.
    if (gSystem.driverFlag && IsQueued() && !IsPlaying()) return false;
    return IsDone();
}

int CxSound::Play()
{
    if (!gSystem.queueFlag || errorCode_) return errorCode_;
    Stop();
    LoopsLeft = NumLoops - 1;
    if (SoundFlags & SOUND_FLAG_QUEUED) {
        int channel = Channel;
        if (channel == -1) {   // the channel with the fewest sounds, the highest among equals
            for (int c = 0; c < gSystem.numQueues; ++c)
                if (channel < 0 || gSystem.queues[c].GetCount() <= gSystem.queues[channel].GetCount()) channel = c;
        }
        if (channel >= 0 && channel < gSystem.numQueues) {
            Channel = channel;
            gSystem.queues[channel].AddTail(this);
            VolumeState |= SOUND_STATE_QUEUED;
            RunSoundUpdate(true);
            return 0;
        }
        ReportError(ERR_INVALID_ARGUMENT, "Sound channel %d does not exist (%d channels): %s plays directly", Channel,
                    gSystem.numQueues, FileName.Text());
    }
    bool exclusive = (SoundFlags & SOUND_FLAG_EXCLUSIVE) != 0;
    if (exclusive) PauseOthersOfType(true);
    Lock();
    StartSample();
    VolumeState |= SOUND_STATE_PLAYING | SOUND_STATE_STARTED;
    if (SoundFlags & (SOUND_FLAG_WAIT | SOUND_FLAG_EXCLUSIVE)) {
        while (!IsDone()) {
            PlatAudioDispatch();
            PlatSleep(5);
        }
        Stop();
        CallDone();
        if (exclusive) PauseOthersOfType(false);
    }
    return 0;
}

void CxSound::Stop()
{
    if (!gSystem.queueFlag) return;
    StopSample();
    if (SoundFlags & SOUND_FLAG_UNLOAD_ON_STOP) Unload();
    if (GetLockCount() > 0) Unlock();
    if (IsQueued())
        for (auto& queue : gSystem.queues)
            if (auto* node = queue.Find(this)) queue.RemoveAt(node);
    VolumeState &= ~uint32_t(SOUND_STATE_QUEUED | SOUND_STATE_PAUSED | SOUND_STATE_PLAYING);
}

void CxSound::Pause()
{
    if (!IsPlaying() || IsPaused()) return;
    PauseSample();
    VolumeState |= SOUND_STATE_PAUSED;
}

void CxSound::Resume()
{
    if (!IsPaused()) return;
    ResumeSample();
    VolumeState &= ~uint32_t(SOUND_STATE_PAUSED);
}

void CxSound::Update()
{
    if (IsPaused()) return;
    if (IsPlaying()) {
        if (!IsDone()) return;
        Stop();
        CallDone();
        if (SoundFlags & SOUND_FLAG_LOOP) return;   // the driver repeated it itself
        if (LoopsLeft-- >= 1) {
            StartSample();
            VolumeState |= SOUND_STATE_PLAYING | SOUND_STATE_STARTED;
        }
        return;
    }
    if (IsQueued() && Channel >= 0 && Channel < gSystem.numQueues) {
        auto* head = gSystem.queues[Channel].GetHead();
        if (head && head->value == this) {
            StartSample();
            VolumeState |= SOUND_STATE_PLAYING | SOUND_STATE_STARTED;
        }
    }
}

int CxSound::GetWaveInfo(CxWaveInfo* info)
{
    CxWaveInfo local;
    if (!info) info = &local;
    if (!Data) return Error(ERR_INVALID_FILE_TYPE, "Invalid WAV File");
    int code = ReadWaveInfo(static_cast<const uint8_t*>(Data), DataSize, SoundFlags, info);
    if (code) return Error(code, "Invalid WAV File");
    return 0;
}

bool CxSound::IsCompressed()
{
    CxWaveInfo info;
    if (!Data || ReadWaveInfo(static_cast<const uint8_t*>(Data), DataSize, SoundFlags, &info) != 0) return false;
    return info.compressed;
}
