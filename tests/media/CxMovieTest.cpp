#include "../core/ErrorCapture.h"
#include "../display/DisplayTestApp.h"
#include "../files/ZipWriter.h"
#include "../platform/video/TestMovies.h"
#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxFileSystemList.h"
#include "media/CxMovie.h"
#include "media/CxMovieAudio.h"
#include "media/CxMovieLibavDriver.h"
#include "media/CxMovieSprite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {
uint32_t gNow = 1000;
uint32_t TestTicks() { return gNow; }

uint32_t Colour(int frame)
{
    testmovies::Rgb c = testmovies::FrameColour(frame);
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

// The frame a movie's surface shows, told by its top-left colour; -1 if none.
int ShownFrame(CxMovie& movie, int frames)
{
    uint32_t pixel = movie.GetSurface()->GetPixel(2, 2) & 0xFFFFFF;
    for (int k = 0; k < frames; ++k)
        if (Colour(k) == pixel) return k;
    return -1;
}

int gEndCalls = 0;
void CountEnd(CxMovie*, int32_t) { ++gEndCalls; }

class Movies : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!testmovies::HaveFfmpeg()) return;
        suiteDir_ = new TempDir;
        testmovies::Encode(suiteDir_->File("ten.avi"), 40, 30, 10, 10, "-c:v ffv1 -g 4");
        testmovies::Encode(suiteDir_->File("tone.mkv"), 16, 16, 10, 10, "-c:v ffv1", 440);
        testmovies::EncodePalettised(suiteDir_->File("palette.mkv"), 32, 24, 8, 5);
    }
    static void TearDownTestSuite()
    {
        delete suiteDir_;
        suiteDir_ = nullptr;
    }
    void SetUp() override
    {
        if (!suiteDir_) GTEST_SKIP() << "no ffmpeg tool";
        QorSetTickSource(TestTicks);
        InitDisplayTree(CxSize{200, 150});
        RegisterEngineMovieDrivers();
        gEndCalls = 0;
    }
    void TearDown() override
    {
        UnregisterMovieDrivers("*");
        SetMovieDisplayDepth(32);
        SetMovieAudioFactory(nullptr);
        ShutdownDisplayTree();
        QorSetTickSource(nullptr);
    }
    // Steps the clock by one frame interval and runs the per-frame callback.
    static void Tick(uint32_t ms = 100)
    {
        gNow += ms;
        CxMovie::UpdateAll();
    }
    std::string Path(const char* name) { return suiteDir_->File(name); }

    static TempDir* suiteDir_;
    ErrorCapture capture_;
};
TempDir* Movies::suiteDir_ = nullptr;
}  // namespace

TEST_F(Movies, RegistryRefusesExtensionsWithoutPeriodAndUnknownFiles)
{
    EXPECT_EQ(RegisterMovieDriver("smk", CxLibavMovieDriver::Create, 0), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(capture_.Reports().size(), 1u);
    EXPECT_EQ(capture_.Reports()[0].message, "Extension MUST include the period as in '.smk'");
    EXPECT_EQ(CreateMovieDriver("intro.mov", 0), nullptr);
    EXPECT_EQ(capture_.Reports().back().code, ERR_UNKNOWN);
    EXPECT_EQ(capture_.Reports().back().message, "No movie filter registered for 'intro.mov'");
    RegisterMovieDriver(".mov", nullptr, 0);
    EXPECT_EQ(CreateMovieDriver("INTRO.MOV", 0), nullptr);
    EXPECT_EQ(capture_.Reports().back().code, ERR_INVALID_ARGUMENT);
    EXPECT_TRUE(IsMovieFile("a/B.SMK"));
    UnregisterMovieDrivers(".smk");
    EXPECT_FALSE(IsMovieFile("a/B.SMK"));
    EXPECT_TRUE(IsMovieFile("a/b.webm"));
}

// Loaded movie: its size and count; frames sent to by number while stopped.
TEST_F(Movies, LoadReadsSizeAndFramesAndGoesToFrames)
{
    CxMovie movie;
    ASSERT_EQ(movie.Load(Path("ten.avi").c_str()), 0);
    EXPECT_EQ(movie.GetNumFrames(), 10);
    EXPECT_EQ(movie.GetWidth(), 40);
    EXPECT_EQ(movie.GetSurface()->GetDepth(), 32);
    for (int frame : {7, 2, 9, 0, -1}) {
        movie.SetCurFrame(frame);
        EXPECT_EQ(ShownFrame(movie, 10), (frame + 10) % 10) << "frame " << frame;
    }
}

// Forwards without repeat: every frame once at the movie's rate, the end
// callback once; backwards from the end down to frame 0; repeat goes round.
TEST_F(Movies, PlaysForwardsBackwardsAndRepeats)
{
    CxMovie movie;
    movie.SetEndCallback(CountEnd);
    ASSERT_EQ(movie.Load(Path("ten.avi").c_str()), 0);
    movie.Link(GetRootObject());
    movie.Show();
    std::vector<int> shown;
    movie.Play(false, false);
    shown.push_back(ShownFrame(movie, 10));
    for (int i = 0; i < 30 && movie.IsPlaying(); ++i) {
        Tick(40);   // not due yet: nothing new
        Tick(60);
        if (movie.IsPlaying() && shown.back() != ShownFrame(movie, 10)) shown.push_back(ShownFrame(movie, 10));
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_FALSE(movie.IsPlaying());
    EXPECT_EQ(gEndCalls, 1);

    movie.SetReverse(true);
    movie.SetCurFrame(0);
    shown.clear();
    movie.Play(false, false);
    shown.push_back(ShownFrame(movie, 10));
    for (int i = 0; i < 30 && movie.IsPlaying(); ++i) {
        Tick();
        if (movie.IsPlaying()) shown.push_back(ShownFrame(movie, 10));
    }
    EXPECT_EQ(shown, (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(gEndCalls, 2);

    movie.SetReverse(false);
    movie.SetRepeat(true);
    movie.Play(false, false);
    for (int i = 0; i < 25; ++i) Tick();
    EXPECT_TRUE(movie.IsPlaying()) << "repeat keeps going past the last frame";
    EXPECT_EQ(ShownFrame(movie, 10), 5);
    EXPECT_EQ(gEndCalls, 2);
}

// Pauses nest: the movie stays on its frame until the last resume, then goes on from there.
TEST_F(Movies, NestedPauseFreezesAndResumesWhereItStopped)
{
    CxMovie movie;
    ASSERT_EQ(movie.Load(Path("ten.avi").c_str()), 0);
    movie.Play(false, false);
    Tick();
    Tick();
    ASSERT_EQ(ShownFrame(movie, 10), 2);
    movie.CountPause();
    movie.CountPause();
    for (int i = 0; i < 5; ++i) Tick();
    movie.CountResume();
    Tick();
    EXPECT_EQ(ShownFrame(movie, 10), 2);
    movie.CountResume();
    Tick(5000);   // however long the pause: the next frame, not a jump
    EXPECT_EQ(ShownFrame(movie, 10), 3);
    Tick();
    EXPECT_EQ(ShownFrame(movie, 10), 4);
}

// A modal play runs the application's frames; with skip-on-input a click
// ends it on that frame, and the movie closes itself.
TEST_F(Movies, ClickEndsSkippableModalPlay)
{
    ScriptedStepApp app;
    CxMovie movie;
    movie.SetSkipOnInput(true);
    ASSERT_EQ(movie.Load(Path("ten.avi").c_str()), 0);
    movie.Link(GetRootObject());
    int framesAtClick = -1;
    app.onStep = [&](int pass) {
        Tick();
        if (pass == 3) {
            framesAtClick = ShownFrame(movie, 10);
            DispatchLButtonDown(0, CxPoint{5, 5});
        }
        return 0;
    };
    movie.Play(true, true);
    EXPECT_EQ(app.passes, 3);
    EXPECT_EQ(framesAtClick, 2) << "frames 0, 1, 2 were shown in three passes";
    EXPECT_FALSE(movie.IsPlaying());
    EXPECT_EQ(movie.GetParent(), nullptr) << "closed after the modal play";

    // Without skipping, a click does nothing and the movie runs to its end.
    CxMovie plain;
    ASSERT_EQ(plain.Load(Path("ten.avi").c_str()), 0);
    plain.Link(GetRootObject());
    app.passes = 0;
    app.onStep = [&](int pass) {
        Tick();
        DispatchLButtonDown(0, CxPoint{5, 5});
        return 0;
    };
    plain.Play(true, true);
    EXPECT_EQ(app.passes, 11) << "ten frames and the pass that sees the end";
}

TEST_F(Movies, MovieInsideZipPlays)
{
    InTempDir here;
    WriteFileBytes("movies.zip", BuildZip({{"intro/ten.avi", ReadFileBytes(Path("ten.avi")), 0}}).bytes);
    CxDirectoryFileSystem folder;
    CxFileSystemList mounts;
    ASSERT_NE(mounts.NewFileSystem("<Movies>", "movies.zip"), nullptr);
    CxMovie movie;
    ASSERT_EQ(movie.Load("<Movies>intro/ten.avi"), 0);
    EXPECT_EQ(movie.GetNumFrames(), 10);
    movie.SetCurFrame(6);
    EXPECT_EQ(ShownFrame(movie, 10), 6);
    movie.SetCurFrame(1);
    EXPECT_EQ(ShownFrame(movie, 10), 1);
}

// On an 8-bit display an 8-bit movie keeps its indices, and the surface's
// palette changes from the frame that brings the new one.
TEST_F(Movies, EightBitSurfaceFollowsPaletteChanges)
{
    SetMovieDisplayDepth(8);
    CxMovie movie;
    ASSERT_EQ(movie.Load(Path("palette.mkv").c_str()), 0);
    ASSERT_EQ(movie.GetSurface()->GetDepth(), 8);
    movie.Play(false, false);
    for (int frame = 0; frame < 8; ++frame) {
        const uint8_t* rgb = movie.GetSurface()->GetPalette() + movie.GetSurface()->GetPixel(1, 1) * 3;
        if (frame < 5) EXPECT_EQ(rgb[0], 240) << frame;
        else EXPECT_EQ(rgb[1], 240) << frame;
        Tick();
    }
}

TEST_F(Movies, BadFilesFailLoadWithOneClearReport)
{
    InTempDir here;
    WriteFileBytes("broken.avi", std::string("RIFF\x10\0\0\0AVI LIST", 16) + std::string(300, '\x7f'));
    std::string whole = ReadFileBytes(Path("ten.avi"));
    WriteFileBytes("cut.avi", whole.substr(0, 200));
    for (const char* name : {"broken.avi", "cut.avi", "missing.avi"}) {
        capture_.Reports().clear();
        CxMovie movie;
        EXPECT_NE(movie.Load(name), 0) << name;
        ASSERT_EQ(capture_.Reports().size(), 1u) << name;
        EXPECT_NE(capture_.Reports()[0].message.find(name), std::string::npos) << capture_.Reports()[0].message;
        EXPECT_EQ(movie.Play(false, false), movie.GetErrorCode());
        EXPECT_FALSE(movie.IsPlaying());
    }
    EXPECT_EQ(capture_.Reports()[0].code, ERR_OPEN_FILE);
}

namespace {
std::vector<int16_t>* gCaptured = nullptr;
class CaptureOutput : public CxMovieAudioOutput {
public:
    void Submit(const int16_t* frames, size_t count) override
    {
        if (playing_) gCaptured->insert(gCaptured->end(), frames, frames + count * 2);
    }
    void SetPlaying(bool playing) override { playing_ = playing; }
    void Flush() override {}
    void SetVolumePan(int, int) override {}

private:
    bool playing_ = false;
};
CxMovieAudioOutput* MakeCapture(int rate, int channels)
{
    return rate == kMovieAudioRate && channels == 2 ? new CaptureOutput : nullptr;
}
}  // namespace

// The sound track reaches the output while the frames play, about one
// frame's worth of sound per frame.
TEST_F(Movies, SoundTrackGoesToTheAudioOutputWithTheFrames)
{
    std::vector<int16_t> captured;
    gCaptured = &captured;
    SetMovieAudioFactory(MakeCapture);
    CxMovie movie;
    ASSERT_EQ(movie.Load(Path("tone.mkv").c_str()), 0);
    ASSERT_TRUE(static_cast<CxLibavMovieDriver*>(movie.GetDriver())->HasSound());
    movie.Play(false, false);
    for (int i = 0; i < 4; ++i) Tick();
    size_t afterFive = captured.size() / 2;
    while (movie.IsPlaying()) Tick();
    size_t total = captured.size() / 2;
    EXPECT_GT(afterFive, size_t(kMovieAudioRate) * 3 / 10);
    EXPECT_LT(afterFive, size_t(kMovieAudioRate) * 8 / 10) << "sound runs with the frames, not ahead of them";
    EXPECT_NEAR(double(total), kMovieAudioRate * 1.0, kMovieAudioRate * 0.15);
    gCaptured = nullptr;
}

namespace {
// Zero crossings a second of the left channel.
double Crossings(const std::vector<int16_t>& pcm)
{
    int count = 0;
    for (size_t i = 2; i < pcm.size(); i += 2) count += (pcm[i] >= 0) != (pcm[i - 2] >= 0);
    return count / (double(pcm.size() / 2) / kMovieAudioRate);
}
}  // namespace

// "TrackNumber" picks the sound stream: the second track of a two-track movie.
TEST_F(Movies, TrackNumberSelectsTheSoundStream)
{
    InTempDir here;
    ASSERT_EQ(std::system("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=red:s=16x16:r=10:d=1 "
                          "-f lavfi -i sine=frequency=300:duration=1 -f lavfi -i sine=frequency=900:duration=1 "
                          "-map 0 -map 1 -map 2 -c:v ffv1 -c:a pcm_s16le two.mkv"), 0);
    std::vector<int16_t> captured;
    gCaptured = &captured;
    SetMovieAudioFactory(MakeCapture);
    for (int track : {0, 1}) {
        captured.clear();
        CxMovie movie;
        ASSERT_EQ(movie.Load("two.mkv"), 0);
        movie.GetDriver()->Command("TrackNumber", track);
        movie.Play(false, false);
        while (movie.IsPlaying()) Tick();
        ASSERT_GT(captured.size(), size_t(kMovieAudioRate));
        EXPECT_NEAR(Crossings(captured), track ? 1800 : 600, 60) << "track " << track;
    }
    gCaptured = nullptr;
}

// The file system a movie streams from goes away mid-play: the movie ends
// by itself, without a report, and may be unloaded afterwards.
TEST_F(Movies, FileSystemRemovedWhileStreamingEndsTheMovie)
{
    InTempDir here;
    std::filesystem::create_directories("disc");
    ASSERT_TRUE(testmovies::Encode("disc/long.avi", 64, 48, 200, 10, "-c:v rawvideo -pix_fmt bgr24"));   // 9 KB a frame
    CxDirectoryFileSystem folder;
    CxFileSystemList mounts;
    mounts.NewFileSystem("<CDPath>", "disc");
    CxMovie movie;
    ASSERT_EQ(movie.Load("<CDPath>long.avi"), 0);
    movie.Play(false, false);
    Tick();
    capture_.Reports().clear();
    mounts.RemoveFileSystem("<CDPath>");
    int updates = 0;
    for (; updates < 250 && movie.IsPlaying(); ++updates) Tick();
    EXPECT_FALSE(movie.IsPlaying());
    EXPECT_LT(updates, 150) << "ended when the reads failed, not at the end of the file";
    EXPECT_TRUE(capture_.Reports().empty());
    movie.Unload();
}

// A movie sprite decodes the frame it is set to when it draws; a copy shares
// the movie but draws its own frames; a picture path loads as usual.
TEST_F(Movies, MovieSpriteDecodesTheSelectedFrameWhenItDraws)
{
    CxMovieSprite sprite;
    ASSERT_EQ(sprite.LoadSurface(Path("ten.avi").c_str()), 0);
    EXPECT_EQ(sprite.GetNumFrames(), 10);
    EXPECT_EQ(sprite.GetLastDecodedFrame(), 0);
    CxDrawSurface canvas;
    canvas.Create(40, 30, 32);
    for (int frame : {4, -1, 12}) {
        sprite.SetCurFrame(frame);
        sprite.DrawTo(&canvas, 0, 0, nullptr);
        EXPECT_EQ(canvas.GetPixel(3, 3) & 0xFFFFFF, Colour((frame + 10) % 10)) << frame;
    }
    CxMovieSprite copy;
    copy.Duplicate(&sprite);
    EXPECT_EQ(copy.GetMovieDriver(), sprite.GetMovieDriver());
    copy.DrawTo(&canvas, 0, 0, nullptr, SPRITE_OWN_COLOUR, 7);
    EXPECT_EQ(canvas.GetPixel(3, 3) & 0xFFFFFF, Colour(7));
    sprite.DrawTo(&canvas, 0, 0, nullptr);
    EXPECT_EQ(canvas.GetPixel(3, 3) & 0xFFFFFF, Colour(2)) << "the original's own frame";
}

namespace {
struct EndRecorder : CxMovieEndListener {
    int heard = 0;
    void OnMovieEnd(CxMovie*) override { ++heard; }
};
}  // namespace

// Transparent movies show their first frame from the load on; an end
// listener is told instead of the callback; without advancing, updates
// redraw the same frame; repaint-all dirties the whole movie each update.
TEST_F(Movies, TransparentListenerAdvanceAndRepaintFlags)
{
    CxMovie movie;
    movie.SetTransparent(true);
    ASSERT_EQ(movie.Load(Path("ten.avi").c_str()), 0);
    EXPECT_EQ(ShownFrame(movie, 10), 0) << "drawn at load";
    EndRecorder listener;
    movie.SetEndListener(&listener);
    movie.SetEndCallback(CountEnd);
    movie.SetAdvance(false);
    movie.Link(GetRootObject());
    movie.SetPosition(30, 40);
    movie.Show();
    movie.SetCurFrame(3);
    movie.Play(false, false);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_EQ(ShownFrame(movie, 10), 0) << "Play starts at frame 0 and updates only redraw it";
    EXPECT_TRUE(movie.IsPlaying());

    movie.SetRepaintAll(true);
    movie.SetAdvance(true);
    CxDrawSurface screen;
    screen.Create(200, 150, 32);
    PaintDirtyRects(&screen, nullptr);
    ASSERT_TRUE(CurrentDirtyRects().IsEmpty());
    Tick();
    CxRect dirty{};
    for (auto* node = CurrentDirtyRects().GetHead(); node; node = node->next) dirty = UnionRects(dirty, node->value);
    EXPECT_EQ(dirty, (CxRect{30, 40, 69, 69}));
    movie.Stop();
    EXPECT_EQ(listener.heard, 1);
    EXPECT_EQ(gEndCalls, 0) << "the listener takes the callback's place";
    movie.Stop();
    EXPECT_EQ(listener.heard, 1) << "a stopped movie does not stop again";
}
