#include "FirstWindowApp.h"
#include "display/CxDrawText.h"
#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "graphics/QorImageFilters.h"
#include "platform/os/PlatformSystem.h"

namespace {
const CxAppInfo kFirstWindowInfo = {
    "FirstWindow", "FirstWindow.ini", "Dec  9 2026 12:00:00", 1, 0, 1, 0, 0, 800, 600, 16, 1,
};
}  // namespace

FirstWindowApp::FirstWindowApp() : CxDisplayApp(kFirstWindowInfo) {}

namespace {
constexpr int32_t kPetSize = 64, kKeyStep = 8;
constexpr CxPixel kPetKey = 0xFFFF00FF;   // magenta: see-through

// A sky over a lawn, the size of the display.
CxDrawSurface* MakeBackdrop(CxSize size)
{
    auto* surface = new CxDrawSurface;
    if (surface->Create(size.width, size.height, 32) != 0) return surface;
    surface->FillRect(nullptr, surface->MakeColor(120, 180, 235));
    CxRect lawn{0, size.height * 2 / 3, size.width - 1, size.height - 1};
    surface->FillRect(&lawn, surface->MakeColor(90, 160, 70));
    return surface;
}

// The pet's face until the models arrive: head, ears, eyes and nose.
CxDrawSurface* MakePetPicture()
{
    auto* s = new CxDrawSurface;
    if (s->Create(kPetSize, kPetSize, 32) != 0) return s;
    s->FillRect(nullptr, kPetKey);
    CxPixel fur = s->MakeColor(235, 150, 60), dark = s->MakeColor(40, 30, 20), pink = s->MakeColor(240, 130, 150);
    for (int32_t y = 0; y < 20; ++y) {   // ears: triangles that widen downwards
        CxRect left{8 + 8 - y / 2, y, 8 + 8 + y / 2, y}, right{40 + 8 - y / 2, y, 40 + 8 + y / 2, y};
        s->FillRect(&left, fur);
        s->FillRect(&right, fur);
    }
    s->FillCircle(32, 36, 26, fur);
    s->FillCircle(22, 32, 4, dark);
    s->FillCircle(42, 32, 4, dark);
    s->FillCircle(32, 44, 3, pink);
    s->DrawLine(32, 47, 32, 52, dark);
    return s;
}
}  // namespace

// ------------------------------------------------------------- the stage
FirstWindowStage::~FirstWindowStage()
{
    delete title_;
    delete pet_;
}

int FirstWindowStage::Build(CxDisplayObject* root)
{
    Create(0, 0, root->GetWidth(), root->GetHeight(), root, 1);
    SetSurface(MakeBackdrop(root->GetSize()), 1);
    pet_ = new CxSprite;
    pet_->Create(0, 0, 0, 0, this, 2);
    pet_->SetSurface(MakePetPicture(), 1);
    pet_->SetMaskColor(kPetKey);
    title_ = new CxDrawText;
    title_->Create(0, 16, root->GetWidth(), 24, this, 3);
    title_->SetTextFlags(TEXT_CENTER | TEXT_CENTER_VERTICAL | TEXT_SHADOW);
    title_->SetColor(GetSurface()->MakeColor(255, 255, 255));
    title_->SetShadowColor(GetSurface()->MakeColor(32, 32, 32));
    title_->SetString("Vorn: click or use the arrow keys");
    Paint(0, 0);
    title_->Paint(0, 16);
    MovePet(CxPoint{root->GetWidth() / 2, root->GetHeight() * 2 / 3});
    SetActive();
    return errorCode_;
}

void FirstWindowStage::MovePet(CxPoint centre)
{
    if (pet_) pet_->Paint(centre, ANCHOR_CENTRE);
}

void FirstWindowStage::OnLButtonDown(uint32_t, CxPoint point) { MovePet(point); }

void FirstWindowStage::OnKeyDown(KeyCode key, uint32_t flags)
{
    if (!pet_) return;
    CxPoint centre = pet_->GetPosition(ANCHOR_CENTRE);
    switch (key) {
    case KEY_LEFT: centre.x -= kKeyStep; break;
    case KEY_RIGHT: centre.x += kKeyStep; break;
    case KEY_UP: centre.y -= kKeyStep; break;
    case KEY_DOWN: centre.y += kKeyStep; break;
    default: return CxSprite::OnKeyDown(key, flags);
    }
    MovePet(centre);
}

// ------------------------------------------------------------- the application
// The image file types for this cycle; the game writes its own pictures as
// QOR files, so .QOR is registered again with the writer.
void FirstWindowApp::StartCycle()
{
    CxDisplayApp::StartCycle();
    RegisterEngineImageFilters();
    RegisterImageFilter(".QOR", QorLoadQOR, QorSaveQOR);
    if (CxDisplayObject* root = GetRootObject()) {
        stage_ = new FirstWindowStage;
        stage_->Build(root);
    }
}

void FirstWindowApp::StopCycle()
{
    delete stage_;
    stage_ = nullptr;
    UnregisterImageFilters("*");
    CxDisplayApp::StopCycle();
}

// Frames are presented at most every 16 ms; the rest of the frame is slept
// away rather than spun.
void FirstWindowApp::UpdateFrame()
{
    uint32_t since = QorTickCount() - lastFrame_;
    if (since < 16) PlatSleep(16 - since);
    lastFrame_ = QorTickCount();
    CxDisplayApp::UpdateFrame();
}
