#include "../framework/RoomTestSupport.h"
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
