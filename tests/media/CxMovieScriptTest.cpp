#include "../core/ErrorCapture.h"
#include "../display/DisplayTestApp.h"
#include "../platform/video/TestMovies.h"
#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "events/CMovieEvent.h"
#include "media/CxMovie.h"
#include "media/CxMovieScript.h"

#include <gtest/gtest.h>
#include <lua.hpp>

namespace {
uint32_t gClock = 5000;
uint32_t Clock() { return gClock; }

class MovieScripts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testmovies::HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg tool";
        ASSERT_TRUE(testmovies::Encode("six.webm", 32, 32, 6, 10, "-c:v libvpx -b:v 200k"));
        QorSetTickSource(Clock);
        InitDisplayTree(CxSize{100, 100});
        RegisterEngineMovieDrivers();
        app_.onStep = [](int) {
            gClock += 100;
            CxMovie::UpdateAll();
            return 0;
        };
        capture_.Reports().clear();
    }
    void TearDown() override
    {
        RemoveEventMoviePlayer();
        UnregisterMovieDrivers("*");
        ShutdownDisplayTree();
        QorSetTickSource(nullptr);
    }
    InTempDir dir_;
    ErrorCapture capture_;
    ScriptedStepApp app_;
};
}  // namespace

TEST_F(MovieScripts, MissingFileIsSkippedByPlayMovieAndReportedByMustExist)
{
    EXPECT_EQ(PlayGameMovie("nothing.webm", -1, -1, true), 0);
    EXPECT_EQ(app_.passes, 0) << "returns at once";
    EXPECT_TRUE(capture_.Reports().empty());
    EXPECT_EQ(PlayGameMovieMustExist("nothing.webm", -1, -1, true), ERR_OPEN_FILE);
    ASSERT_FALSE(capture_.Reports().empty());
    EXPECT_EQ(capture_.Reports().back().code, ERR_OPEN_FILE);
    EXPECT_EQ(app_.passes, 0);
}

// From a script: the movie plays modally to its end; a false skippable
// argument lets a click through.
TEST_F(MovieScripts, ScriptPlaysModallyWithItsSkipArgument)
{
    lua_State* L = luaL_newstate();
    RegisterMovieScriptFunctions(L);
    app_.onStep = [](int pass) {
        gClock += 100;
        CxMovie::UpdateAll();
        if (pass == 2) DispatchLButtonDown(0, CxPoint{50, 50});
        return 0;
    };
    ASSERT_EQ(luaL_dostring(L, "return PlayMovie('six.webm')"), 0) << lua_tostring(L, -1);
    EXPECT_EQ(lua_tonumber(L, -1), 0);
    EXPECT_EQ(app_.passes, 2) << "skippable by default: the click ends it";
    app_.passes = 0;
    ASSERT_EQ(luaL_dostring(L, "return PlayMovieMustExist('six.webm', 10, 10, false)"), 0) << lua_tostring(L, -1);
    EXPECT_EQ(app_.passes, 7);
    EXPECT_TRUE(capture_.Reports().empty());
    lua_close(L);
}

// The movie event plays its movie in the room, hides the cursor meanwhile,
// and completes once the movie has stopped; a missing file completes at once.
TEST_F(MovieScripts, MovieEventRunsUntilItsMovieStops)
{
    CxEvent* silent = MakeMovieEvent("six.webm", 0, 0, 0, 0, 0);
    ASSERT_NE(silent, nullptr);
    EXPECT_TRUE(silent->IsDone()) << "no movie player installed";
    delete silent;

    InstallEventMoviePlayer();
    auto* event = static_cast<CMovieEvent*>(MakeMovieEvent("six.webm", 5, 6, 0, 0, 0));
    ASSERT_NE(event->GetMovie(), nullptr);
    event->Start();
    EXPECT_TRUE(event->GetMovieFlags() & MOVIE_EVENT_CURSOR_HIDDEN);
    int updates = 0;
    while (!event->IsDone() && updates < 50) {
        gClock += 100;
        CxMovie::UpdateAll();
        ++updates;
    }
    EXPECT_EQ(updates, 6);
    event->OnDone();
    EXPECT_FALSE(event->GetMovieFlags() & MOVIE_EVENT_CURSOR_HIDDEN);
    EXPECT_EQ(CxMovie::MovieCount(), 1);
    delete event;
    EXPECT_EQ(CxMovie::MovieCount(), 0) << "the event owned its movie";

    CxEvent* missing = MakeMovieEvent("none.webm", 0, 0, 0, 0, 0);
    missing->Start();
    EXPECT_TRUE(missing->IsDone());
    delete missing;
}
