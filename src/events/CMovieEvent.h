// The movie event: plays one movie and completes when it stops.  Events sit
// below the movie layer, so the event reaches movies through the small
// player interface here, which the movie layer implements and the
// application installs at start-up.
#pragma once
#include "events/CxEvent.h"

enum CMovieEventFlags : uint32_t {
    MOVIE_EVENT_STARTED = 0x01,
    MOVIE_EVENT_OWNS_MOVIE = 0x02,
    MOVIE_EVENT_MODAL = 0x04,
    MOVIE_EVENT_HIDE_CURSOR = 0x08,
    MOVIE_EVENT_CURSOR_HIDDEN = 0x10,
};

// One loaded movie as an event sees it.
class CxEventMovie {
public:
    virtual ~CxEventMovie() = default;
    virtual void Play(bool modal) = 0;
    virtual bool IsPlaying() const = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;    // nests
    virtual void Resume() = 0;
    // The event is over with it: hide it.
    virtual void Finish() = 0;
};

class CxEventMoviePlayer {
public:
    virtual ~CxEventMoviePlayer() = default;
    // A movie for a game path at (x, y) (centred when either is -1); null
    // when it cannot be loaded (already reported).
    virtual CxEventMovie* CreateMovie(const char* file, int32_t x, int32_t y, bool transparent, int32_t extra) = 0;
    virtual void HideCursor() = 0;
    virtual void ShowCursor() = 0;
};

// Null removes the player: movie events then complete at once.
void SetEventMoviePlayer(CxEventMoviePlayer* player);
CxEventMoviePlayer* GetEventMoviePlayer();

class CMovieEvent : public CxEvent {
public:
    // Takes the movie when `flags` has MOVIE_EVENT_OWNS_MOVIE.
    CMovieEvent(CxEventMovie* movie, uint32_t flags) : movie_(movie), movieFlags_(flags) {}
    ~CMovieEvent() override;
    void Release() override { movieFlags_ &= ~uint32_t(MOVIE_EVENT_STARTED); }
    void Start() override;
    bool IsStarted() override { return (movieFlags_ & MOVIE_EVENT_STARTED) != 0; }
    void Stop() override;
    bool IsDone() override;
    void Pause() override;
    void Resume() override;
    bool IsPaused() override { return pauseCount_ > 0; }
    void OnDone() override;
    uint32_t GetMovieFlags() const { return movieFlags_; }
    CxEventMovie* GetMovie() const { return movie_; }

private:
    CxEventMovie* movie_;
    uint32_t movieFlags_;
    int32_t pauseCount_ = 0;
    bool finished_ = false;
};

// The system creator's PlayMovie(file, x, y, modal, transparent[, extra]).
CxEvent* MakeMovieEvent(const char* file, int32_t x, int32_t y, int32_t modal, int32_t transparent, int32_t extra);
