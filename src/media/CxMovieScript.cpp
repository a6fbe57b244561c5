#include "media/CxMovieScript.h"
#include "display/CxCursor.h"
#include "events/CMovieEvent.h"
#include "files/CxFile.h"
#include "files/QorFile.h"
#include "graphics/CxSurf.h"
#include "media/CxMovie.h"

#include <lua.hpp>

namespace {
CxMoviePathBuilder gPathBuilder = nullptr;

int32_t IntArgument(lua_State* L, int index, int32_t fallback)
{
    return lua_type(L, index) == LUA_TNUMBER ? int32_t(lua_tonumber(L, index)) : fallback;
}

// Skippable unless given as false or 0.
bool SkippableArgument(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TBOOLEAN) return lua_toboolean(L, index) != 0;
    if (lua_type(L, index) == LUA_TNUMBER) return lua_tonumber(L, index) != 0;
    return true;
}

int PlayMovieFn(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    lua_pushnumber(L, PlayGameMovie(name, IntArgument(L, 2, -1), IntArgument(L, 3, -1), SkippableArgument(L, 4)));
    return 1;
}

int PlayMovieMustExistFn(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    lua_pushnumber(L, PlayGameMovieMustExist(name, IntArgument(L, 2, -1), IntArgument(L, 3, -1),
                                             SkippableArgument(L, 4)));
    return 1;
}

// A movie an event owns: hidden again when the event is over with it.
class EventMovie : public CxEventMovie {
public:
    void Play(bool modal) override
    {
        if (movie.GetDriver()) movie.Play(modal, false);
    }
    bool IsPlaying() const override { return movie.IsPlaying(); }
    void Stop() override { movie.Stop(); }
    void Pause() override { movie.CountPause(); }
    void Resume() override { movie.CountResume(); }
    void Finish() override
    {
        movie.Erase();
        movie.UnLink();
    }
    CxMovie movie;
};

class EventMoviePlayer : public CxEventMoviePlayer {
public:
    CxEventMovie* CreateMovie(const char* file, int32_t x, int32_t y, bool transparent, int32_t extra) override
    {
        auto* event = new EventMovie;
        CxMovie& movie = event->movie;
        movie.SetTransparent(transparent);
        // The extra value carries further movie flags (repeat, reverse, skip on input).
        uint32_t extraFlags = uint32_t(extra) & (MOVIE_REVERSE | MOVIE_REPEAT | MOVIE_REPAINT_ALL | MOVIE_SKIP_ON_INPUT);
        movie.SetReverse(extraFlags & MOVIE_REVERSE);
        movie.SetRepeat(extraFlags & MOVIE_REPEAT);
        movie.SetRepaintAll(extraFlags & MOVIE_REPAINT_ALL);
        movie.SetSkipOnInput(extraFlags & MOVIE_SKIP_ON_INPUT);
        movie.SetCloseAfterModal(false);
        if (movie.Load(BuildMoviePath(file).Text()) != 0) {
            delete event;
            return nullptr;
        }
        if (transparent && movie.GetSurface()) {
            if (movie.GetSurface()->GetDepth() == 32) movie.SetEffects(BLT_EFFECT_ALPHA);
            else movie.SetMaskColor(movie.GetSurface()->GetPixel(0, 0));
        }
        movie.SetZOrder(MOVIE_MODAL_DEPTH);
        movie.Link(GetMovieParent());
        if (x == -1 || y == -1) movie.Center();
        else movie.SetPosition(x, y);
        movie.Show();
        return event;
    }
    void HideCursor() override { ::HideCursor(); }
    void ShowCursor() override { ::ShowCursor(); }
};
EventMoviePlayer gEventPlayer;
}  // namespace

void SetMoviePathBuilder(CxMoviePathBuilder builder) { gPathBuilder = builder; }
CxString BuildMoviePath(const char* text) { return gPathBuilder ? gPathBuilder(text) : CxString(text); }

int PlayGameMovie(const char* name, int32_t x, int32_t y, bool skippable)
{
    CxString path = BuildMoviePath(name);
    if (!QorFileExists(path.Text())) return 0;
    return PlayMovieModal(path.Text(), x, y, false, false, skippable);
}

int PlayGameMovieMustExist(const char* name, int32_t x, int32_t y, bool skippable)
{
    CxString path = BuildMoviePath(name);
    {
        CxFile file;
        if (int code = file.Open(path.Text(), CBF_BINARY | CBF_READONLY)) return code;
    }
    return PlayMovieModal(path.Text(), x, y, false, false, skippable);
}

void RegisterMovieScriptFunctions(lua_State* L)
{
    if (!L) return;
    lua_register(L, "PlayMovie", PlayMovieFn);
    lua_register(L, "PlayMovieMustExist", PlayMovieMustExistFn);
}

void InstallEventMoviePlayer() { SetEventMoviePlayer(&gEventPlayer); }
void RemoveEventMoviePlayer()
{
    if (GetEventMoviePlayer() == &gEventPlayer) SetEventMoviePlayer(nullptr);
}
