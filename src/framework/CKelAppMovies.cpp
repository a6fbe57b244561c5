// The movie layer's wiring into the framework application: drivers, the
// game's path rules, the parent of modal movies, the display depth, movie
// events and the script functions; and the intro movies of kel.ini.
#include "framework/CKelApp.h"

#include "display/CxCursor.h"
#include "app/CxGamePath.h"
#include "app/CxGameWindow.h"
#include "media/CxMovie.h"
#include "media/CxMovieScript.h"
#include "script/CxLuaEngine.h"

namespace {
CxDisplayObject* CurrentRoomForMovies()
{
    CKelApp* app = CKelApp::Get();
    return app ? app->GetCurrentRoom() : nullptr;
}
}  // namespace

void CKelApp::StartMovies()
{
    RegisterEngineMovieDrivers();
    SetMoviePathBuilder(BuildGamePath);
    SetMovieParentProvider(CurrentRoomForMovies);
    SetMovieDisplayDepth(GetScreenDepth() > 0 ? GetScreenDepth() : 32);
    InstallEventMoviePlayer();
    if (GetScriptEngine()) RegisterMovieScriptFunctions(GetScriptEngine()->GetState());
}

void CKelApp::StopMovies()
{
    RemoveEventMoviePlayer();
    SetMovieParentProvider(nullptr);
    UnregisterMovieDrivers("*");
}

// Each existing movie of [IntroMovies], in entry order, skippable by a key
// or a click; a missing one is skipped without a word.  The cursor stays
// hidden meanwhile, as it does for movie events.
void CKelApp::PlayIntroMovies()
{
    CxOptionSection* section = kel_.FindSection("IntroMovies");
    if (!section) return;
    HideCursor();
    for (CxOptionVariable* entry = section->First(); entry; entry = section->Next())
        PlayGameMovie(entry->value.Text(), -1, -1, true);
    ShowCursor();
}
