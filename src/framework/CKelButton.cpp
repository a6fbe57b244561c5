#include "framework/CKelButton.h"
#include "display/CxCursor.h"
#include "app/CxApp.h"
#include "framework/CKelDescribe.h"
#include "graphics/CxBltEffects.h"
#include "script/CxLuaEngine.h"

namespace {
constexpr int32_t kForever = 99999999;
constexpr float kFramesPerSecond = 15;
constexpr uint32_t kButtonDepth = 1000;
constexpr int kNameMax = 31;   // the longest button name scripts and events look up
}

void CreateDescribedButtons(CxOptions& description, CxDisplayObject* parent, CxLuaEngine* engine,
                            bool readMaskOnly, CxLinkedList<CKelButton*>& out)
{
    for (int i = 0;; ++i) {
        CxString section;
        section.Format("Button%d", i);
        if (description.ReadString(section, "FileName", "").IsEmpty()) break;
        auto* button = new CKelButton;
        button->SetScriptEngine(engine);
        button->Describe(description, section, readMaskOnly);
        button->SetZOrder(kButtonDepth);
        if (parent) {   // shared buttons wait, unlinked and hidden, for a room to show them
            button->Link(parent);
            button->Show();
        }
        out.AddTail(button);
    }
}

CKelButton::CKelButton() { SetName("NoName"); }

CKelButton::~CKelButton() { delete flashTimer_; }

void CKelButton::Describe(CxOptions& description, const char* section, bool readMaskOnly)
{
    CxString file = description.ReadString(section, "FileName", "");
    int frames = description.ReadInt(section, "NumFrames", 5);
    if (!file.IsEmpty()) LoadImage(file, frames);
    SetControlID(description.ReadInt(section, "ControlID", 0));
    if (readMaskOnly) SetPixelHitTest(description.ReadInt(section, "MaskOnly", 0) == 1);
    cursor_ = description.ReadInt(section, "Cursor", -1);
    SetName(description.ReadString(section, "Name", section).Left(kNameMax));
    CxPoint at;
    description.GetPoint(section, "Position", &at, CxPoint{-1000, -1000});
    SetPosition(at);
    onClick_ = description.ReadString(section, "OnClick", "");
    onMouseEnter_ = description.ReadString(section, "OnMouseEnter", "");
    onMouseLeave_ = description.ReadString(section, "OnMouseLeave", "");
}

int CKelButton::LoadImage(const char* path, int frames)
{
    if (!LoadDescribedImage(*this, path, frames < 1 ? 1 : frames))   // the button stays without a picture
        return errorCode_ ? errorCode_ : ERR_FILE_NOT_FOUND;
    CxDrawSurface* surface = GetSurface();
    if (surface->GetDepth() == 32) SetEffects(BLT_EFFECT_ALPHA);
    else SetMaskColor(surface->GetPixel(0, 0));
    BuildStatePaths(GetNumFrames());
    return 0;
}

void CKelButton::BuildStatePaths(int frames)
{
    CxAnimationPath paths[kButtonStates];
    for (int state = 0; state < kButtonStates; ++state) {
        CxAnimationPath& path = paths[state];
        path.flags = PATH_STARTFRAME;
        if (frames == kButtonStates) {
            path.startFrame = state;
        } else if (state > 0 && frames > 1) {
            path.flags |= PATH_ENDFRAME | PATH_FRAMERATE | PATH_LOOPS;
            path.startFrame = 1;
            path.endFrame = frames - 1;
            path.frameRate = kFramesPerSecond;
            path.loops = kForever;
        }
        SetStateMapEntry(state, state);
    }
    LoadAnimation(paths, kButtonStates);
    SetState(GetState());
}

// ------------------------------------------------------------- notifications
void CKelButton::RunLine(const CxString& line)
{
    if (line.IsEmpty()) return;
    CxLuaEngine* engine = engine_;
    if (!engine && CxApp::GetApp()) engine = CxApp::GetApp()->GetScriptEngine();
    if (engine) engine->RunString(CxString(line));   // a copy: the line may reload this button
}

void CKelButton::Notify(int32_t code)
{
    if (code == BUTTON_CODE_HOVER) {
        RunLine(onMouseEnter_);
        EnterCursor();
    } else if (code == BUTTON_CODE_CLICKED) {
        RunLine(onClick_);
    } else if (code == BUTTON_CODE_LEFT) {
        RunLine(onMouseLeave_);
        LeaveCursor();
    }
    CxAnimatedButton::Notify(code);
}

// A button with a cursor of its own shows it while the mouse is over it and
// gives the one it replaced back afterwards.
void CKelButton::EnterCursor()
{
    savedCursor_ = -1;
    if (cursor_ < 0) return;
    savedCursor_ = GetCursorId();
    SetCursorId(cursor_);
}

void CKelButton::LeaveCursor()
{
    if (savedCursor_ >= 0) SetCursorId(savedCursor_);
    savedCursor_ = -1;
}

// ------------------------------------------------------------- flashing
void CKelButton::StartFlash(uint32_t interval)
{
    StopFlash();
    flashTimer_ = new CxTimerCallBack(this, interval ? interval : 500);
    flashTimer_->Start(0);
}

void CKelButton::StopFlash()
{
    delete flashTimer_;
    flashTimer_ = nullptr;
    ShowHighlight(false);
}

void CKelButton::ShowHighlight(bool on)
{
    highlightShown_ = on;
    CxAnimation& animation = GetAnimation();
    if (animation.GetNumPaths() == 0) return;
    animation.Stop();
    animation.Play(GetStateMapEntry(on ? BUTTON_HOVER : BUTTON_NORMAL));
}

void CKelButton::OnTimer(CxTimerCallBack*) { ShowHighlight(!highlightShown_); }
