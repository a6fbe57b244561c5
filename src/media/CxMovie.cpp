#include "media/CxMovie.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxSurf.h"

namespace {
int gDisplayDepth = 32;
CxMovieParentProvider gParentProvider = nullptr;

// The movies on the list and the hook that advances them, made with the
// first movie and removed with the last.
CxLinkedList<CxMovie*>* gMovies = nullptr;

class MovieHook : public CxMainLoopHook {
public:
    void OnMainLoop() override { CxMovie::UpdateAll(); }
};
MovieHook* gHook = nullptr;
}  // namespace

void SetMovieDisplayDepth(int depth) { gDisplayDepth = depth; }
int  GetMovieDisplayDepth() { return gDisplayDepth; }
void SetMovieParentProvider(CxMovieParentProvider provider) { gParentProvider = provider; }
CxDisplayObject* GetMovieParent() { return gParentProvider ? gParentProvider() : nullptr; }

CxMovie::CxMovie()
{
    if (!gMovies) {
        gMovies = new CxLinkedList<CxMovie*>;
        gHook = new MovieHook;
    }
    gMovies->AddTail(this);
}

CxMovie::~CxMovie()
{
    Unload();
    if (!gMovies) return;
    if (auto* node = gMovies->Find(this)) gMovies->RemoveAt(node);
    if (gMovies->IsEmpty()) {
        delete gHook;
        gHook = nullptr;
        delete gMovies;
        gMovies = nullptr;
    }
}

int CxMovie::MovieCount() { return gMovies ? gMovies->GetCount() : 0; }

// A movie may stop, end a modal loop or be deleted by whoever hears of its
// end, so the walk takes a copy and checks each movie is still listed.
void CxMovie::UpdateAll()
{
    if (!gMovies) return;
    CxLinkedList<CxMovie*> snapshot;
    for (auto* node = gMovies->GetHead(); node; node = node->next) snapshot.AddTail(node->value);
    for (auto* node = snapshot.GetHead(); node; node = node->next) {
        CxMovie* movie = node->value;
        if (!gMovies || !gMovies->Find(movie)) continue;
        if (movie->IsPlaying() && movie->GetPauseCount() <= 0) movie->Update();
    }
}

int32_t CxMovie::GetNumFrames() const { return driver_ ? driver_->GetNumFrames() : 0; }

void CxMovie::Unload()
{
    if (IsPlaying()) Stop();
    delete driver_;
    driver_ = nullptr;
    if (GetSurface() && GetSurface() != ownSurface_) SetSurfacePointer(nullptr);   // the caller's surface stays theirs
    ReleaseSurface();
    ownSurface_ = nullptr;
    curFrame_ = 0;
    movieFlags_ &= ~uint32_t(MOVIE_AT_END | MOVIE_PLAYING | MOVIE_MODAL);
}

int CxMovie::Load(const char* path, CxDrawSurface* surface)
{
    Unload();
    Error(0);
    if (!path) return Error(ERR_INVALID_ARGUMENT, "No movie file named");
    int before = GetErrorCount();
    driver_ = CreateMovieDriver(path, (movieFlags_ >> 5) & 3);
    if (!driver_) {
        // The driver or the registry has already said why, naming the file;
        // a second report would only count the same failure twice.
        if (GetErrorCount() == before) return Error(ERR_UNKNOWN, "No compatible movie driver found");
        errorCode_ = ERR_UNKNOWN;
        return errorCode_;
    }
    SetName(path);
    if (!surface) {
        surface = driver_->NewSurface();
        if (!surface) {
            Unload();
            return Error(ERR_OUT_OF_MEMORY, "No surface for the movie %s", path);
        }
        ownSurface_ = surface;
    }
    if (!surface->GetBits()) {
        int depth = driver_->GetDefaultDepth() == 8 && gDisplayDepth <= 8 ? 8 : gDisplayDepth;
        int code = driver_->PrepareSurface(surface, depth);
        if (code != 0) {
            Unload();
            Error(code, "No surface for the movie %s", path);
            return code;
        }
    }
    SetSurface(surface, 1);
    if (driver_->HasAlpha()) SetEffects(BLT_EFFECT_ALPHA);
    if (GetTransparent()) {
        CxMovieRenderRequest request;
        request.target = surface;
        driver_->Render(&request);
    }
    Resize(surface->GetSize());
    return 0;
}

int CxMovie::Play(bool modal, bool clearFirst)
{
    if (errorCode_ || !driver_ || driver_->GetNumFrames() <= 0) return errorCode_;
    movieFlags_ &= ~uint32_t(MOVIE_AT_END);
    int32_t count = driver_->GetNumFrames();
    curFrame_ = GetReverse() ? (curFrame_ - 1 + count) % count : 0;
    driver_->GotoFrame(curFrame_);
    if (clearFirst && GetSurface()) GetSurface()->FillRect(nullptr, 0);
    driver_->Command("Play", 0);
    pauseCount_ = 0;
    movieFlags_ |= MOVIE_PLAYING;
    if (modal) {
        movieFlags_ |= MOVIE_MODAL;
        Show();
        DoModal();
        movieFlags_ &= ~uint32_t(MOVIE_MODAL);
        if (IsPlaying()) Stop();
        if (GetCloseAfterModal()) {
            Erase();
            UnLink();
        }
    } else {
        Update();
    }
    return errorCode_;
}

void CxMovie::Stop()
{
    if (IsPlaying()) {
        movieFlags_ &= ~uint32_t(MOVIE_PLAYING);
        if (driver_) driver_->Command("Stop", 0);
        if (endListener_) endListener_->OnMovieEnd(this);
        else if (endCallback_) endCallback_(this, 0);
    }
    movieFlags_ &= ~uint32_t(MOVIE_AT_END);
}

void CxMovie::SetCurFrame(int frame)
{
    int32_t count = driver_ ? driver_->GetNumFrames() : 0;
    if (count <= 0) return;
    curFrame_ = ((frame % count) + count) % count;
    driver_->GotoFrame(curFrame_);
    // A movie that is not running shows the frame it was sent to.
    if (!IsPlaying() && GetSurface()) {
        CxMovieRenderRequest request;
        request.target = GetSurface();
        request.curFrame = curFrame_;
        if (driver_->Render(&request) == 0 && IsVisible()) Paint();
    }
}

void CxMovie::SetVolumePan(int volume, int track)
{
    if (driver_) driver_->SetVolumePan(volume, track);
}

void CxMovie::Repaint(const CxLinkedList<CxRect>& changed)
{
    if (!IsVisibleInTree()) return;
    if (GetRepaintAll()) {
        InvalidateRect(GetGlobalExtent());
        return;
    }
    CxRect place = GetGlobalExtent();
    for (auto* node = changed.GetHead(); node; node = node->next)
        InvalidateRect(IntersectRects(OffsetRect(node->value, place.left, place.top), place));
}

void CxMovie::Update()
{
    if (errorCode_ || !driver_) return;
    int32_t count = driver_->GetNumFrames();
    if (!GetRepeat() && IsAtEnd()) {
        if (IsModal()) EndModal();
        Stop();
        return;
    }
    CxLinkedList<CxRect> changed;
    CxMovieRenderRequest request;
    request.flags = GetAdvance() ? uint32_t(MOVIE_RENDER_ADVANCE) : 0u;
    request.target = GetSurface();
    request.curFrame = curFrame_;
    request.changed = &changed;
    driver_->GotoFrame(curFrame_);
    driver_->Render(&request);
    if (request.flags & MOVIE_RENDER_FAILED) {
        // A frame that cannot be decoded (a damaged file, a file system that
        // went away) ends the movie as if it had reached its end.
        SetMovieFlag(MOVIE_AT_END, true);
        SetRepeat(false);
        return;
    }
    bool waiting = (request.flags & MOVIE_RENDER_WAITING) != 0;
    bool ended = !waiting && GetAdvance() && (GetReverse() ? curFrame_ == 0 : curFrame_ + 1 == count);
    SetMovieFlag(MOVIE_AT_END, ended);
    if (waiting || !GetAdvance()) {
        Repaint(changed);
        return;
    }
    curFrame_ = driver_->GetCurFrame();
    Repaint(changed);
    if (GetReverse()) {
        // The driver moved on past the frame it showed; backwards the next one
        // is the frame before that.
        curFrame_ = (curFrame_ - 2 + 2 * count) % count;
        driver_->GotoFrame(curFrame_);
    }
}

void CxMovie::Pause()
{
    if (driver_) driver_->Command("Pause", 1);
}

void CxMovie::Resume()
{
    if (driver_) driver_->Command("Pause", 0);
}

bool CxMovie::SkipFromInput()
{
    if (!GetSkipOnInput()) return false;
    if (IsModal()) {
        EndModal();
    } else {
        Stop();
        Hide();
    }
    return true;
}

void CxMovie::OnKeyDown(KeyCode key, uint32_t flags)
{
    if (!SkipFromInput()) CxDialogBox::OnKeyDown(key, flags);
}

void CxMovie::OnLButtonDown(uint32_t keys, CxPoint point)
{
    if (!SkipFromInput()) CxDialogBox::OnLButtonDown(keys, point);
}

CxDisplayObject* CxMovie::OnRButtonDown(uint32_t keys, CxPoint point)
{
    if (SkipFromInput()) return this;
    return CxDialogBox::OnRButtonDown(keys, point);
}

int PlayMovieModal(const char* path, int32_t x, int32_t y, bool transparent, bool repaintAll, bool skipOnInput)
{
    CxMovie movie;
    movie.SetTransparent(transparent);
    movie.SetRepaintAll(repaintAll);
    movie.SetSkipOnInput(skipOnInput);
    int code = movie.Load(path);
    if (code != 0) return code;
    if (transparent && movie.GetSurface()) movie.SetMaskColor(movie.GetSurface()->GetPixel(0, 0));
    movie.SetZOrder(MOVIE_MODAL_DEPTH);
    movie.Link(GetMovieParent());
    if (x == -1 && y == -1) movie.Center();
    else movie.SetPosition(x, y);
    movie.Play(true, !transparent);
    movie.Unload();
    return 0;
}
