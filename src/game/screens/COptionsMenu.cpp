#include "game/screens/COptionsMenu.h"

#include "display/CxButton.h"
#include "display/CxScrollBar.h"
#include "framework/CLanguageString.h"
#include "game/CBaseApp.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxScreenSurface.h"
#include "media/CxSound.h"
#include "media/CxSoundServices.h"

namespace {
constexpr const char* kSizeNames[COptionsMenu::kSizes] = {"800, 600", "1024, 768", "1280, 1024", "1600, 1200"};
constexpr const char* kBoxPicture = "UI_xVRradialbuttons_01T.tga";
constexpr const char* kThumbPicture = "UI_xVRscrollline_01T.tga";
constexpr int kLoudest = 127;

// Unchecked, checked, unchecked under the mouse, checked under the mouse,
// disabled: three frames.
void MapBoxFrames(CxButton& button)
{
    const int32_t frames[kButtonStates] = {0, 1, 0, 1, 2};
    for (int32_t state = 0; state < kButtonStates; ++state) button.SetStateMapEntry(state, frames[state]);
}

int CollectMode(int32_t width, int32_t height, int depth, void* user)
{
    static_cast<std::vector<CDisplayMode>*>(user)->push_back(CDisplayMode{width, height, depth});
    return 0;   // every mode is wanted
}

// A size is offered where the display has a mode of it with at least 16
// bits: today's displays list 24- and 32-bit modes only, and asking for
// exactly 16 would leave the player no size to choose at all.
bool Offered(const CDisplayMode& mode, CxSize size)
{
    return mode.width >= 800 && mode.height >= 600 && mode.depth >= 16 && mode.width == size.width &&
           mode.height == size.height;
}
}  // namespace

COptionsMenu::COptionsMenu() = default;
COptionsMenu::~COptionsMenu() { RemoveWidgets(); }

// ---------------------------------------------------------------- what the game answers
CxOptions* COptionsMenu::GameOptions()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? &app->GetGameOptions() : nullptr;
}

CxOptions* COptionsMenu::AppOptions()
{
    CxAppServices* app = CxAppServices::Get();
    return app ? &app->GetAppOptions() : nullptr;
}

void COptionsMenu::CollectDisplayModes(std::vector<CDisplayMode>& modes)
{
    CBaseApp* app = CBaseApp::Get();
    if (CxScreenSurface* screen = app ? app->GetScreen() : nullptr) screen->EnumDisplayModes(CollectMode, &modes);
}

int32_t COptionsMenu::CurrentWidth()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? app->GetClientWidth() : 0;
}

bool COptionsMenu::HasMultisampling()
{
    CBaseApp* app = CBaseApp::Get();
    CxD3DDevice* device = app ? app->GetD3DDevice() : nullptr;
    GpuCaps caps;
    return device && device->GetCaps(&caps) == GPU_OK && caps.maxSamples > 0;
}

void COptionsMenu::RestartGame()
{
    if (CBaseApp* app = CBaseApp::Get()) {
        app->QueueScriptForNextCycle("g_bRestarted = true");
        app->Restart();
    }
}

// The menu's music comes back after the credits' own: the description's
// [Credits] Music, "MUSIC/default.mp3" without it.
void COptionsMenu::ShowCredits()
{
    if (CBaseApp* app = CBaseApp::Get()) app->ShowCredits();
    StartMusic(GetDescription().ReadString("Credits", "Music", "MUSIC/default.mp3").Text(), -1);
}

// Without a driver the level last asked for stands in, so that the bar
// shows it and "Accept" never stores the driver's "no answer".
int COptionsMenu::MasterVolume()
{
    int volume = GetMasterVolume();
    return volume >= 0 ? volume : GetRememberedMasterVolume();
}

void COptionsMenu::SetVolume(int volume) { SetMasterVolume(volume); }

// ---------------------------------------------------------------- start and stop
CxCheckButton* COptionsMenu::MakeBox(int32_t x, int32_t y)
{
    auto* box = new CxCheckButton;
    box->LoadSurface(kBoxPicture, 3);
    MapBoxFrames(*box);
    box->Link(this);
    box->Paint(x, y);
    return box;
}

void COptionsMenu::StartRoom()
{
    restartPending_ = accepted_ = ready_ = false;
    RemoveWidgets();
    CBaseRoom::StartRoom();
    pictures_.Mount();

    std::vector<CDisplayMode> modes;
    CollectDisplayModes(modes);

    // The widgets' places; a description may move them ([Layout]).
    CxOptions& layout = GetDescription();
    CxPoint at;
    layout.GetPoint("Layout", "Resolutions", &at, CxPoint{400, 300});
    group_ = new CxRadioGroup;
    group_->Create(at.x, at.y, 400, 100, this, 0);
    group_->Show();
    int32_t width = CurrentWidth();
    for (int i = 0; i < kSizes; ++i) {
        auto* button = new CxRadioButton;
        button->LoadSurface(kBoxPicture, 3);
        MapBoxFrames(*button);
        button->SetName(kSizeNames[i]);
        button->Link(group_);
        button->Paint(100 * i, 0);
        button->Disable();
        sizes_[i] = button;
        for (const CDisplayMode& mode : modes)
            if (Offered(mode, kSizeList[i])) {
                button->Enable();
                break;
            }
    }
    for (int i = 0; i < kSizes; ++i)
        if (kSizeList[i].width == width) sizes_[i]->SetCheck(true);

    CxOptions* game = GameOptions();
    layout.GetPoint("Layout", "ShowTipDialogs", &at, CxPoint{90, 600});
    tips_ = MakeBox(at.x, at.y);
    tips_->SetCheck((game ? game->ReadInt("Options", "ShowTipDialogs", 1) : 1) != 0);
    layout.GetPoint("Layout", "AntiAlias", &at, CxPoint{470, 410});
    antiAlias_ = MakeBox(at.x, at.y);
    if (HasMultisampling()) antiAlias_->SetCheck((game ? game->ReadInt("Options", "AntiAlias", 0) : 0) != 0);
    else antiAlias_->Disable();

    volume_ = new CxVerticalScrollBar;
    layout.GetPoint("Layout", "Volume", &at, CxPoint{216, 240});
    volume_->Create(at.x, at.y, 56, 260, this, 0);
    CxString groove = layout.ReadString("Layout", "VolumeTrack", "");
    if (!groove.IsEmpty()) volume_->LoadSurface(groove.Text(), 1);
    volume_->LoadThumb(kThumbPicture);
    if (CxSprite* thumb = volume_->GetThumb()) thumb->SetMaskColor(CX_NO_COLOR);
    volume_->Show();
    volume_->SetLineStep(1);
    volume_->SetPageStep(1);
    volume_->SetButtonLength(30);
    volume_->SetRange(0, kLoudest);
    savedVolume_ = MasterVolume();
    volume_->SetScrollPosition(kLoudest - savedVolume_);
    ready_ = true;
}

void COptionsMenu::RemoveWidgets()
{
    for (CxRadioButton*& button : sizes_) {
        delete button;
        button = nullptr;
    }
    for (CxCheckButton** box : {&tips_, &antiAlias_}) {
        delete *box;
        *box = nullptr;
    }
    delete group_;
    group_ = nullptr;
    delete volume_;
    volume_ = nullptr;
}

void COptionsMenu::StopRoom()
{
    if (!accepted_ && savedVolume_ >= 0) SetVolume(savedVolume_);
    ready_ = false;
    for (CxDisplayObject* widget : {static_cast<CxDisplayObject*>(group_), static_cast<CxDisplayObject*>(tips_),
                                    static_cast<CxDisplayObject*>(antiAlias_), static_cast<CxDisplayObject*>(volume_)})
        if (widget) widget->Erase();
    pictures_.Unmount();
    CBaseRoom::StopRoom();
}

// ---------------------------------------------------------------- input
void COptionsMenu::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (kind == NOTIFY_SCROLL && sender && sender == volume_) {
        if (ready_) SetVolume(kLoudest - code);
        return;
    }
    // The window's own size may be checked while the display does not offer
    // it; the group leaves a disabled button alone, so it would stay checked
    // beside the player's choice and win at "Accept".
    if (kind == NOTIFY_BUTTON && code == BUTTON_CODE_ON && sender)
        for (CxRadioButton* other : sizes_)
            if (other && other == sender) {
                for (CxRadioButton* size : sizes_)
                    if (size && size != sender && !size->IsEnabled() && size->GetState() != BUTTON_DISABLED)
                        size->SetState(BUTTON_DISABLED);
                break;
            }
    CBaseRoom::OnNotify(kind, sender, code, extra);
}

void COptionsMenu::OnButtonNotify(CxDisplayObject* sender, int32_t code, int32_t extra)
{
    CBaseRoom::OnButtonNotify(sender, code, extra);
    if (code != BUTTON_CODE_CLICKED || !sender) return;
    if (CxString(sender->GetName()) == "Credits") ShowCredits();
    else if (CxString(sender->GetName()) == "Accept") Accept();
}

void COptionsMenu::Accept()
{
    accepted_ = true;
    CxRadioButton* choice = nullptr;
    int chosen = -1;
    for (int i = 0; i < kSizes && !choice; ++i)
        if (sizes_[i] && sizes_[i]->GetCheck()) choice = sizes_[i], chosen = i;
    if (choice && kSizeList[chosen].width != CurrentWidth()) {
        if (CxOptions* app = AppOptions()) {
            app->SetString("Engine.Window", "Size", kSizeNames[chosen]);
            restartPending_ = true;
        }
    }
    if (CxOptions* game = GameOptions()) {
        game->SetInt("Options", "AntiAlias", antiAlias_ && antiAlias_->GetCheck() ? 1 : 0);
        game->SetInt("Options", "ShowTipDialogs", tips_ && tips_->GetCheck() ? 1 : 0);
        int volume = MasterVolume();
        if (volume >= 0) game->SetInt("Options", "MasterVolume", volume);
    }
    if (restartPending_) RestartGame();
}

int COptionsMenu::OnQuitRequest() { return restartPending_ ? 1 : CBaseRoom::OnQuitRequest(); }
