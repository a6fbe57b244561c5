#include "media/CxSoundServices.h"

#include "core/CxOptions.h"
#include "events/CxEventSound.h"
#include "foundation/Qorstr.h"
#include "media/CxAudioSubTitle.h"
#include "media/CxWave.h"

#include <algorithm>
#include <cstdlib>

namespace {
struct CachedSound {
    CxWave* sound;
    int uses;
};

CxSoundPathFn gBuildPath = nullptr;
CxWave* gMusic = nullptr;
int gMusicVolume = 100;
CxLinkedList<CachedSound>* gCache = nullptr;

CxLinkedList<CachedSound>& Cache()
{
    if (!gCache) gCache = new CxLinkedList<CachedSound>;
    return *gCache;
}

CxListNode<CachedSound>* FindNode(const char* path)
{
    for (auto* node = Cache().GetHead(); node; node = node->next)
        if (TextEquals(node->value.sound->FileName.Text(), path, true)) return node;
    return nullptr;
}

// ------------------------------------------------------------- event host
CxEventSound* AcquireForEvent(const char* file, bool* owned)
{
    CxString path = BuildSoundPath(file);
    if (TextContains(file, ".TXT", true)) {
        *owned = true;
        auto* subtitle = new CxAudioSubTitle;
        subtitle->Load(path.Text());
        return subtitle;
    }
    *owned = false;
    return FindCachedSound(path.Text(), true);
}

void ReleaseForEvent(CxEventSound* sound, bool owned)
{
    if (owned) {
        delete sound;
        return;
    }
    ReleaseCachedSound(static_cast<CxWave*>(static_cast<CxSound*>(sound)));
}

const CxSoundEventHost kEventHost = {AcquireForEvent, ReleaseForEvent, FlushAudioChannel, IsAudioChannelFree};
}  // namespace

int StartAppSounds(CxOptions& appOptions, CxSoundPathFn buildPath)
{
    gBuildPath = buildPath;
    int code = InitSound(appOptions);
    delete gMusic;
    gMusic = new CxWave;
    SetSoundEventHost(&kEventHost);
    return code;
}

void StopAppSounds()
{
    SetSoundEventHost(nullptr);
    FlushSoundCache();
    delete gMusic;
    gMusic = nullptr;
    ShutdownSound();
    delete gCache;
    gCache = nullptr;
}

CxString BuildSoundPath(const char* path) { return gBuildPath ? gBuildPath(path) : CxString(path); }

CxWave* GetMusic() { return gMusic; }

int StartMusic(const char* path, int volume)
{
    if (!gMusic) return ERR_UNKNOWN;
    gMusic->Stop();
    gMusic->SoundFlags = 0;
    gMusic->Error(0);
    int code = gMusic->Load(BuildSoundPath(path).Text());
    if (volume != -1) gMusicVolume = std::clamp(volume, 0, 127);
    gMusic->SoundFlags |= SOUND_FLAG_LOOP;
    gMusic->SetVol(gMusicVolume);
    gMusic->NumLoops = gMusic->LoopsLeft = 999999;
    if (code == 0) code = gMusic->Play();
    return code;
}

void StopMusic()
{
    if (gMusic) gMusic->Stop();
}

void PauseMusic()
{
    if (gMusic) gMusic->Pause();
}

void ResumeMusic()
{
    if (gMusic) gMusic->Resume();
}

bool IsMusicPlaying() { return gMusic && gMusic->IsPlaying(); }

void SetMusicVolume(int volume)
{
    gMusicVolume = std::clamp(volume, 0, 127);
    if (gMusic) gMusic->SetVol(gMusicVolume);
}

int GetMusicVolume() { return gMusicVolume; }

CxWave* FindCachedSound(const char* path, bool create)
{
    if (auto* node = FindNode(path)) {
        ++node->value.uses;
        return node->value.sound;
    }
    if (!create) return nullptr;
    auto* sound = new CxWave;
    sound->Load(path);
    sound->FileName = path;   // kept even when the load failed, so the miss is not repeated
    Cache().AddTail(CachedSound{sound, 1});
    return sound;
}

int GetCachedSoundUses(const char* path)
{
    auto* node = FindNode(path);
    return node ? node->value.uses : 0;
}

int GetSoundCacheCount() { return gCache ? gCache->GetCount() : 0; }

void ReleaseCachedSound(CxWave* sound)
{
    for (auto* node = Cache().GetHead(); node; node = node->next)
        if (node->value.sound == sound && node->value.uses > 0) --node->value.uses;
}

int PlaySoundByName(const char* path)
{
    CxWave* sound = FindCachedSound(BuildSoundPath(path).Text(), true);
    return sound ? sound->Play() : ERR_UNKNOWN;
}

void PreLoadSoundByName(const char* path) { FindCachedSound(BuildSoundPath(path).Text(), true); }

void FlushSoundCache()
{
    if (!gCache) return;
    while (!gCache->IsEmpty()) {
        CachedSound entry = gCache->RemoveAt(gCache->GetHead());
        delete entry.sound;
    }
}

void ReadSoundVolumes(CxOptions& gameOptions)
{
    SetMusicVolume(gameOptions.ReadInt("Options", "MusicVolume", 40));
    int master = gameOptions.ReadInt("Options", "MasterVolume", GetRememberedMasterVolume());
    SetMasterVolume(master < 0 ? GetRememberedMasterVolume() : master);   // an old -1 is no level
}

void WriteSoundVolumes(CxOptions& gameOptions)
{
    gameOptions.SetInt("Options", "MusicVolume", gMusicVolume);
    int master = GetMasterVolume();
    gameOptions.SetInt("Options", "MasterVolume", master >= 0 ? master : GetRememberedMasterVolume());
}

bool RunSoundCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    auto* first = arguments.GetHead();
    auto is = [&](const char* name) { return TextEquals(command, name, true); };
    if (is("FlushAudioChannel")) {
        if (first) FlushAudioChannel(atoi(first->value.Text()));
    } else if (is("FlushAllAudioChannels")) {
        FlushAllAudioChannels();
    } else if (is("StartMusic")) {
        int volume = first && first->next ? atoi(first->next->value.Text()) : -1;
        if (first) StartMusic(first->value.Text(), volume);
    } else if (is("StopMusic")) {
        StopMusic();
    } else if (is("PauseMusic")) {
        PauseMusic();
    } else if (is("ResumeMusic")) {
        ResumeMusic();
    } else {
        return false;
    }
    return true;
}
