// The application's calls into the sound system, kept in one place: start
// and stop with the cycle, the volumes of the game options, and where
// subtitles are shown.
#include "game/CBaseApp.h"

#include "app/CxGamePath.h"
#include "app/CxGameWindow.h"
#include "media/CxAudioSubTitle.h"
#include "media/CxSound.h"
#include "media/CxSoundServices.h"

namespace {
CxDisplayObject* SubtitleParent()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? app->GetRooms().GetCurrentRoom() : nullptr;
}

CxSize SubtitleDisplaySize()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? app->GetInternalSize() : CxSize{640, 480};
}
}  // namespace

void CBaseApp::StartSoundWiring()
{
    // No driver is a quiet state of its own (error 13 is not reported): the
    // game runs without sound.
    StartAppSounds(*this, BuildGamePath);
    SetSubtitleStage(SubtitleParent, SubtitleDisplaySize);
    ReadSoundVolumes(gameOptions_);
}

void CBaseApp::StoreSoundVolumes() { WriteSoundVolumes(gameOptions_); }

void CBaseApp::StopSoundWiring()
{
    SetSubtitleStage(nullptr, nullptr);
    StopAppSounds();
}
