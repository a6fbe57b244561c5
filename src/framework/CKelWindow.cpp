#include "framework/CKelWindow.h"
#include "app/CxApp.h"
#include "display/CxNotify.h"
#include "media/CxMovie.h"
#include "events/CxEventKinds.h"
#include "events/CxEventScriptFunctions.h"
#include "events/CxInterpolator.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/QorFile.h"
#include "foundation/Qorstr.h"
#include "framework/CKelDescribe.h"
#include "framework/CKelScoreText.h"
#include "app/CxGamePath.h"
#include "script/CxLuaEngine.h"

CKelWindow::CKelWindow() = default;

// A room deleted while it runs (shutdown without a stop) still gives back
// what its start took from process-wide lists.
CKelWindow::~CKelWindow()
{
    CloseChannel();
    KillMilestones();
    ClearMovies();
    RemoveButtons();
    DeleteRetiredButtons();
    RemoveScoreText();
    delete variables_;
    RemoveActivityFileSystem();
}

// ------------------------------------------------------------- scripts
CxLuaEngine* CKelWindow::GetScriptEngine() const
{
    if (engine_) return engine_;
    CxApp* app = CxApp::GetApp();
    return app ? app->GetScriptEngine() : nullptr;
}

int CKelWindow::RunScriptLine(const char* line)
{
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine || !line || !*line) return ERR_INVALID_ARGUMENT;
    return engine->RunString(line);
}

void CKelWindow::RunScriptFileIfExists(const char* path)
{
    CxLuaEngine* engine = GetScriptEngine();
    if (engine && QorFileExists(path)) engine->RunFile(path);
}

// ------------------------------------------------------------- creation
void CKelWindow::OnRoomCreated()
{
    CxString path;
    path.Format("%s/%s.ini", GetName(), GetName());
    description_.Open(path);   // a missing file leaves every key at its default
}

// ------------------------------------------------------------- start and stop
void CKelWindow::CreateActivityFileSystem()
{
    if (activityFs_) return;
    if (activityPath_.IsEmpty()) activityPath_.Format("/%s", GetName());
    activityFs_ = new CxDirectoryFileSystem(activityPath_, "<ActivityPath>");
}

void CKelWindow::RemoveActivityFileSystem()
{
    delete activityFs_;
    activityFs_ = nullptr;
}

void CKelWindow::OpenChannel()
{
    CloseChannel();   // a start without a stop must not leave the last channel behind
    if (CxEvent::CreateChannel(&channel_) != 0) channel_ = 0;
    if (channel_) ListenTo(channel_);
    SetRoomChannel(channel_);
    char name[32];
    CopyText(name, GetName(), sizeof name);
    RegisterOwnCreator(name, this);
    RegisterOwnCreator("Room", this);
    creatorRegistered_ = true;
}

void CKelWindow::CloseChannel()
{
    if (creatorRegistered_) {
        char name[32];
        CopyText(name, GetName(), sizeof name);
        UnregisterOwnCreator("Room", this);
        UnregisterOwnCreator(name, this);
        creatorRegistered_ = false;
    }
    if (!channel_) return;
    StopListening(channel_);
    if (GetRoomChannelId() == channel_) SetRoomChannel(0);
    CxEvent::DestroyChannel(channel_);
    channel_ = 0;
}

void CKelWindow::ApplyBackground()
{
    CxString background = description_.ReadString("Options", "Background", "");
    if (!background.IsEmpty()) {
        LoadBackground(background);
        return;
    }
    CxPoint described;
    description_.GetPoint("Options", "Size", &described, CxPoint{0, 0});
    CxSize size = ResolveDisplaySize(described);
    if (size.width != 0 && size.height != 0) Resize(size);
}

void CKelWindow::ReadAmbientMovies()
{
    ClearMovies();
    for (int i = 0;; ++i) {
        CxString section;
        section.Format("AmbientMovie%d", i);
        CxString file = description_.ReadString(section, "FileName", "");
        if (file.IsEmpty()) break;
        auto* movie = new CKelAmbientMovie{BuildGamePath(file), CxPoint{}};
        description_.GetPoint(section, "Position", &movie->position, CxPoint{-1000, -1000});
        movies_.AddTail(movie);
        StartAmbientMovie(movie, description_.ReadInt(section, "Repeat", 0) != 0);
    }
}

// A missing file is skipped quietly, as intro movies are; one that will not
// load has said why and the room goes on without it.
void CKelWindow::StartAmbientMovie(CKelAmbientMovie* ambient, bool repeat)
{
    if (!QorFileExists(ambient->fileName.Text())) return;
    auto* movie = new CxMovie;
    movie->SetRepeat(repeat);
    if (movie->Load(ambient->fileName.Text()) != 0) {
        delete movie;
        return;
    }
    ambient->movie = movie;
    movie->SetZOrder(Z_DEFAULT);
    movie->Link(this);
    movie->SetPosition(ambient->position);
    movie->Show();
    movie->Play(false, false);
}

CKelAmbientMovie::~CKelAmbientMovie() { delete movie; }

namespace {
// The first room entered after start-up comes in without a fade.
bool gFadedInBefore = false;
}

void CKelWindow::PlayFadeMovie(const char* path)
{
    if (!QorFileExists(path)) return;
    CountPause();
    PlayMovieModal(path, 0, -1, false, false, true);
    CountResume();
}

void CKelWindow::AfterStartRoom()
{
    if (!gFadedInBefore) {
        gFadedInBefore = true;
        return;
    }
    PlayFadeMovie("COMMON/FADE0.SMK");
}

void CKelWindow::BeforeStopRoom()
{
    CxApp* app = CxApp::GetApp();
    if (app && app->GetQuitFlag()) return;
    PlayFadeMovie("COMMON/FADE1.SMK");
}

void CKelWindow::ClearMovies()
{
    while (!movies_.IsEmpty()) delete movies_.RemoveHead();
}

void CKelWindow::StartRoom()
{
    CreateActivityFileSystem();
    delete variables_;
    variables_ = new CxInterpolator;
    variables_->SetVariable("ROOMNAME", GetName());
    pauseCount_ = 0;
    idle_.Clear();
    OpenChannel();
    ApplyBackground();
    CreateButtons();
    AddSharedButtons();
    CreateScoreText();
    ReadMilestones();
    ReadAmbientMovies();
    ReadIdleSettings();
    RunScriptFileIfExists("onstartroom.lua");
    StartIdleTimer();
}

void CKelWindow::StopRoom()
{
    if (scoreText_) scoreText_->StopBulge();
    StopIdleTimer();
    RunScriptFileIfExists("onstoproom.lua");
    KillMilestones();
    CloseChannel();
    ClearMovies();
    RemoveButtons();
    RemoveScoreText();
    delete variables_;
    variables_ = nullptr;
    ReleaseSurface();
    RemoveActivityFileSystem();
    CxGameWindow::StopRoom();
}

void CKelWindow::UpdateRoom()
{
    DeleteRetiredButtons();
    if (int due = idle_.Check()) OnIdleTimeOut(due);
    if (scoreText_ && scoreAlwaysDirty_) scoreText_->Paint();
    CxGameWindow::UpdateRoom();
}

// ------------------------------------------------------------- input
void CKelWindow::OnMouseMove(uint32_t keys, CxPoint point)
{
    ResetIdleTimer();
    CxGameWindow::OnMouseMove(keys, point);
}

void CKelWindow::OnLButtonDown(uint32_t keys, CxPoint point)
{
    ResetIdleTimer();
    CxGameWindow::OnLButtonDown(keys, point);
}

CxDisplayObject* CKelWindow::OnLButtonUp(uint32_t keys, CxPoint point)
{
    ResetIdleTimer();
    return CxGameWindow::OnLButtonUp(keys, point);
}

CxDisplayObject* CKelWindow::OnRButtonDown(uint32_t keys, CxPoint point)
{
    ResetIdleTimer();
    return CxGameWindow::OnRButtonDown(keys, point);
}

void CKelWindow::OnKeyDown(KeyCode key, uint32_t flags)
{
    ResetIdleTimer();
    CxGameWindow::OnKeyDown(key, flags);
}

void CKelWindow::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (kind == NOTIFY_BUTTON) OnButtonNotify(sender, code, extra);
    else if (kind == NOTIFY_LIST) OnButtonNotify2(sender, code, extra);
    else CxGameWindow::OnNotify(kind, sender, code, extra);
}

// ------------------------------------------------------------- events
CxEvent* CKelWindow::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    if (!kind || TextEquals(kind, "TODO", true)) return nullptr;
    return new CCommandEvent(this, kind, arguments);
}
