// Movie objects: dialog boxes that show a movie file's frames in their
// surface, played modally (intros, PlayMovie) or running inside a room
// (ambient movies, movie events).  Every movie is on one list; while any
// exists a per-frame hook advances the playing ones.
#pragma once
#include "core/CxMainLoopHook.h"
#include "core/CxPauseResume.h"
#include "display/CxDialogBox.h"
#include "media/CxMovieDriver.h"

enum CxMovieFlags : uint32_t {
    MOVIE_PLAYING = 0x001,
    MOVIE_REVERSE = 0x002,
    MOVIE_REPEAT = 0x004,
    MOVIE_MODAL = 0x008,
    MOVIE_REPAINT_ALL = 0x010,
    MOVIE_DRIVER_FLAG_1 = 0x020,
    MOVIE_ADVANCE = 0x040,
    MOVIE_SKIP_ON_INPUT = 0x080,
    MOVIE_TRANSPARENT = 0x100,
    MOVIE_AT_END = 0x200,
    MOVIE_CLOSE_AFTER_MODAL = 0x400,
};

constexpr uint32_t MOVIE_DEFAULT_FLAGS = MOVIE_ADVANCE | MOVIE_CLOSE_AFTER_MODAL;
constexpr uint32_t MOVIE_MODAL_DEPTH = 0x3FFFFFFF;

class CxMovie;

class CxMovieEndListener {
public:
    virtual ~CxMovieEndListener() = default;
    virtual void OnMovieEnd(CxMovie* movie) = 0;
};

using CxMovieEndCallback = void (*)(CxMovie* movie, int32_t value);

class CxMovie : public CxDialogBox, public CxPauseResume {
public:
    CxMovie();
    ~CxMovie() override;

    int  Load(const char* path, CxDrawSurface* surface = nullptr);
    void Unload();
    int  Play(bool modal, bool clearFirst);
    void Stop();
    bool IsPlaying() const { return (movieFlags_ & MOVIE_PLAYING) != 0; }
    int32_t GetNumFrames() const override;
    int32_t GetCurFrame() const override { return curFrame_; }
    void SetCurFrame(int frame) override;
    void NextFrame() override { SetCurFrame(curFrame_ + 1); }
    void PrevFrame() override { SetCurFrame(curFrame_ - 1); }
    void SetVolumePan(int volume, int track);
    void Update();

    void SetReverse(bool on) { SetMovieFlag(MOVIE_REVERSE, on); }
    bool GetReverse() const { return HasMovieFlag(MOVIE_REVERSE); }
    void SetRepeat(bool on) { SetMovieFlag(MOVIE_REPEAT, on); }
    bool GetRepeat() const { return HasMovieFlag(MOVIE_REPEAT); }
    void SetRepaintAll(bool on) { SetMovieFlag(MOVIE_REPAINT_ALL, on); }
    bool GetRepaintAll() const { return HasMovieFlag(MOVIE_REPAINT_ALL); }
    void SetDriverFlag1(bool on) { SetMovieFlag(MOVIE_DRIVER_FLAG_1, on); }
    bool GetDriverFlag1() const { return HasMovieFlag(MOVIE_DRIVER_FLAG_1); }
    void SetAdvance(bool on) { SetMovieFlag(MOVIE_ADVANCE, on); }
    bool GetAdvance() const { return HasMovieFlag(MOVIE_ADVANCE); }
    void SetSkipOnInput(bool on) { SetMovieFlag(MOVIE_SKIP_ON_INPUT, on); }
    bool GetSkipOnInput() const { return HasMovieFlag(MOVIE_SKIP_ON_INPUT); }
    void SetTransparent(bool on) { SetMovieFlag(MOVIE_TRANSPARENT, on); }
    bool GetTransparent() const { return HasMovieFlag(MOVIE_TRANSPARENT); }
    void SetCloseAfterModal(bool on) { SetMovieFlag(MOVIE_CLOSE_AFTER_MODAL, on); }
    bool GetCloseAfterModal() const { return HasMovieFlag(MOVIE_CLOSE_AFTER_MODAL); }
    bool IsAtEnd() const { return HasMovieFlag(MOVIE_AT_END); }
    uint32_t GetMovieFlags() const { return movieFlags_; }

    void SetEndCallback(CxMovieEndCallback callback) { endCallback_ = callback; }
    void SetEndListener(CxMovieEndListener* listener) { endListener_ = listener; }
    CxMovieDriver* GetDriver() const { return driver_; }

    void Pause() override;
    void Resume() override;

    void OnKeyDown(KeyCode key, uint32_t flags) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnRButtonDown(uint32_t keys, CxPoint point) override;

    // The per-frame movie callback: every playing, unpaused movie updates.
    static void UpdateAll();
    static int MovieCount();

private:
    void SetMovieFlag(uint32_t flag, bool on) { movieFlags_ = on ? (movieFlags_ | flag) : (movieFlags_ & ~flag); }
    bool HasMovieFlag(uint32_t flag) const { return (movieFlags_ & flag) != 0; }
    bool SkipFromInput();
    void Repaint(const CxLinkedList<CxRect>& changed);

    CxMovieDriver* driver_ = nullptr;
    CxDrawSurface* ownSurface_ = nullptr;
    CxMovieEndListener* endListener_ = nullptr;
    CxMovieEndCallback endCallback_ = nullptr;
    int32_t curFrame_ = 0;
    uint32_t movieFlags_ = MOVIE_DEFAULT_FLAGS;
};

// Plays a movie file modally at (x, y), centred when both are -1, in front
// of the current room; returns the load's error code (0 when it played).
int PlayMovieModal(const char* path, int32_t x, int32_t y, bool transparent, bool repaintAll, bool skipOnInput);

// What movies need from the application, installed by its start-up: the
// depth of the display (surfaces are made to match it) and the parent of
// modal movies (the current room; null means the root).
void SetMovieDisplayDepth(int depth);
int  GetMovieDisplayDepth();
using CxMovieParentProvider = CxDisplayObject* (*)();
void SetMovieParentProvider(CxMovieParentProvider provider);
CxDisplayObject* GetMovieParent();
