#include "RoomTestSupport.h"
#include "../display/DisplayTestApp.h"
#include "../platform/video/TestMovies.h"
#include "framework/CKelWindow.h"
#include "media/CxMovie.h"

namespace {
class AmbientMovies : public RoomTest {
protected:
    void SetUp() override
    {
        if (!testmovies::HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg tool";
        RoomTest::SetUp();
        RegisterEngineMovieDrivers();
    }
    void TearDown() override
    {
        UnregisterMovieDrivers("*");
        RoomTest::TearDown();
    }
};
}  // namespace

// A room's ambient movies run from its start at their places, the repeating
// one past its end; a missing file is skipped and a broken one reported
// once, and the room goes on; leaving the room deletes them.
TEST_F(AmbientMovies, RunInTheRoomAtTheirPlacesUntilItStops)
{
    std::filesystem::create_directories("Yard");
    ASSERT_TRUE(testmovies::Encode("Yard/rain.avi", 24, 16, 4, 10, "-c:v ffv1"));
    Write("Yard/broken.avi", "RIFF not really");
    Write("Yard/Yard.ini",
          "[AmbientMovie0]\nFileName=Yard/rain.avi\nPosition=30, 40\nRepeat=1\n"
          "[AmbientMovie1]\nFileName=Yard/missing.avi\n"
          "[AmbientMovie2]\nFileName=Yard/broken.avi\n"
          "[AmbientMovie3]\nFileName=Yard/rain.avi\nPosition=5, 5\n");
    auto* yard = AddRoom<CKelWindow>("Yard");
    AddRoom<CKelWindow>("Shed");
    Enter("Yard");
    ASSERT_EQ(yard->GetAmbientMovies().GetCount(), 4);
    auto* node = yard->GetAmbientMovies().GetHead();
    CxMovie* rain = node->value->movie;
    ASSERT_NE(rain, nullptr);
    EXPECT_EQ(node->next->value->movie, nullptr);
    EXPECT_EQ(node->next->next->value->movie, nullptr);
    CxMovie* once = node->next->next->next->value->movie;
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(rain->GetParent(), yard);
    EXPECT_EQ(rain->GetPosition(), (CxPoint{30, 40}));
    EXPECT_TRUE(rain->IsPlaying());
    EXPECT_EQ(errors.Reports().size(), 1u) << "the broken file, once";

    for (int i = 0; i < 12; ++i) {
        RoomTestNow() += 100;
        CxMovie::UpdateAll();
    }
    EXPECT_TRUE(rain->IsPlaying()) << "repeats";
    EXPECT_FALSE(once->IsPlaying()) << "ran once";
    int before = CxMovie::MovieCount();
    Enter("Shed");
    EXPECT_EQ(CxMovie::MovieCount(), before - 2);
}

// Going from one described room to another plays the leaving fade and then
// the entering one, each modally; the rooms are paused meanwhile only.
TEST_F(AmbientMovies, RoomChangesPlayTheFadeMovies)
{
    std::filesystem::create_directories("COMMON");
    ASSERT_TRUE(testmovies::Encode("fade1.avi", 16, 16, 3, 10, "-c:v ffv1"));
    ASSERT_TRUE(testmovies::Encode("fade0.avi", 16, 16, 5, 10, "-c:v ffv1"));
    std::filesystem::rename("fade1.avi", "COMMON/FADE1.SMK");   // our driver reads any format under that name
    std::filesystem::rename("fade0.avi", "COMMON/FADE0.SMK");
    auto* yard = AddRoom<CKelWindow>("Yard");
    auto* shed = AddRoom<CKelWindow>("Shed");
    Enter("Yard");
    ScriptedStepApp app;
    int pausedYard = 0, pausedShed = 0;
    app.onStep = [&](int) {
        pausedYard += yard->GetPauseCount() > 0;
        pausedShed += shed->GetPauseCount() > 0;
        RoomTestNow() += 100;
        CxMovie::UpdateAll();
        return 0;
    };
    Enter("Shed");
    EXPECT_EQ(app.passes, 4 + 6) << "three frames out and five in, each with the pass that sees its end";
    EXPECT_EQ(pausedYard, 4);
    EXPECT_EQ(pausedShed, 6);
    EXPECT_EQ(yard->GetPauseCount(), 0);
    EXPECT_EQ(shed->GetPauseCount(), 0);
    EXPECT_TRUE(errors.Reports().empty());
}
