#include "events/CMovieEvent.h"
#include "events/CxEventKinds.h"

namespace {
CxEventMoviePlayer* gPlayer = nullptr;
}

void SetEventMoviePlayer(CxEventMoviePlayer* player) { gPlayer = player; }
CxEventMoviePlayer* GetEventMoviePlayer() { return gPlayer; }

CMovieEvent::~CMovieEvent()
{
    if (movieFlags_ & MOVIE_EVENT_CURSOR_HIDDEN) OnDone();
    if (movieFlags_ & MOVIE_EVENT_OWNS_MOVIE) delete movie_;
}

void CMovieEvent::Start()
{
    if ((movieFlags_ & MOVIE_EVENT_HIDE_CURSOR) && gPlayer && !(movieFlags_ & MOVIE_EVENT_CURSOR_HIDDEN)) {
        gPlayer->HideCursor();
        movieFlags_ |= MOVIE_EVENT_CURSOR_HIDDEN;
    }
    movieFlags_ |= MOVIE_EVENT_STARTED;
    finished_ = false;
    if (movie_) movie_->Play((movieFlags_ & MOVIE_EVENT_MODAL) != 0);
}

bool CMovieEvent::IsDone()
{
    if (movie_ && movie_->IsPlaying()) return false;
    if (movie_ && !finished_) movie_->Finish();
    finished_ = true;
    return true;
}

void CMovieEvent::Stop()
{
    if (movie_) movie_->Stop();
    movieFlags_ &= ~uint32_t(MOVIE_EVENT_STARTED);
    OnDone();
}

void CMovieEvent::Pause()
{
    ++pauseCount_;
    if (movie_) movie_->Pause();
}

void CMovieEvent::Resume()
{
    if (pauseCount_ <= 0) return;
    --pauseCount_;
    if (movie_) movie_->Resume();
}

void CMovieEvent::OnDone()
{
    if (!(movieFlags_ & MOVIE_EVENT_CURSOR_HIDDEN)) return;
    movieFlags_ &= ~uint32_t(MOVIE_EVENT_CURSOR_HIDDEN);
    if (gPlayer) gPlayer->ShowCursor();
}

CxEvent* MakeMovieEvent(const char* file, int32_t x, int32_t y, int32_t modal, int32_t transparent, int32_t extra)
{
    if (!gPlayer) return new CInfoEvent;   // a build without movies: the mark still reaches listeners
    CxEventMovie* movie = gPlayer->CreateMovie(file, x, y, transparent != 0, extra);
    uint32_t flags = MOVIE_EVENT_OWNS_MOVIE | MOVIE_EVENT_HIDE_CURSOR;
    if (modal & 1) flags |= MOVIE_EVENT_MODAL;
    return new CMovieEvent(movie, flags);
}
