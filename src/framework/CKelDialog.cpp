#include "framework/CKelDialog.h"
#include "graphics/CxBltEffects.h"
#include "app/CxApp.h"
#include "events/CxEventKinds.h"
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelDescribe.h"
#include "app/CxGamePath.h"
#include "app/CxGameWindow.h"
#include "app/CxRoomManager.h"
#include "framework/CxRoomScript.h"
#include "script/CxLuaEngine.h"

namespace {
constexpr int kNameMax = 31;

// Runs the dialog's idle check once per frame while it is modal.
class IdleHook : public CxMainLoopHook {
public:
    explicit IdleHook(CKelDialog& dialog) : dialog_(dialog) {}
    void OnMainLoop() override { dialog_.CheckIdle(); }

private:
    CKelDialog& dialog_;
};
}  // namespace

CKelDialog::CKelDialog()
{
    SetName("DialogBox");
    Register();
}

// Destroying a dialog ends a modal run it is in.
CKelDialog::~CKelDialog()
{
    EndModal();
    delete idleHook_;
    RemoveButtons();
    Unregister();
}

// ------------------------------------------------------------- loading
int CKelDialog::Load(const char* path)
{
    CxOptions description;
    int code = description.Open(BuildGamePath(path));   // a missing file: every key keeps its default
    Describe(description);
    return code == ERR_FILE_NOT_FOUND ? code : 0;
}

void CKelDialog::Describe(CxOptions& description)
{
    ApplyDescription(description);
    OnLoadOptions(description);
    CxString onLoad = description.ReadString("Options", "OnLoad", "");
    if (!onLoad.IsEmpty()) RunLine(onLoad);
}

void CKelDialog::ApplyDescription(CxOptions& description)
{
    CxString name = description.ReadString("Options", "Name", GetName());
    SetName(name.Left(kNameMax));
    Register();
    ApplySurface(description);
    CxPoint at;
    description.GetPoint("Options", "Position", &at, CxPoint{-1, -1});
    if (at.x != -1 && at.y != -1) SetPosition(at);
    centered_ = description.ReadInt("Options", "Centered", 0) != 0;
    RemoveButtons();
    CreateDescribedButtons(description, this, engine_, false, buttons_);
    if (buttonAnchor_ != ANCHOR_TOP_LEFT) {
        for (auto* node = buttons_.GetHead(); node; node = node->next)
            node->value->SetPosition(node->value->GetPosition(), buttonAnchor_);
    }
    onDoModal_ = description.ReadString("Options", "OnDoModal", "");
    idle_.ReadSettings(description, "Options");
}

void CKelDialog::ApplySurface(CxOptions& description)
{
    movieDriverFlags_ = description.ReadInt("Options", "MovieDriverFlags", 0);
    CxString background = description.ReadString("Options", "Background", "");
    if (!background.IsEmpty()) {
        if (!LoadDescribedImage(*this, background)) return;   // the dialog keeps its size
        CxDrawSurface* surface = GetSurface();
        CxPoint pixel;
        description.GetPoint("Options", "TransparentPixel", &pixel, CxPoint{-1, -1});
        bool inside = pixel.x >= 0 && pixel.y >= 0 && pixel.x < surface->GetWidth() && pixel.y < surface->GetHeight();
        if (surface->GetDepth() != 32 && inside) SetMaskColor(surface->GetPixel(pixel.x, pixel.y));
        // A 32-bit picture carries its own shape, as the buttons' do.
        if (surface->GetDepth() == 32) SetEffects(BLT_EFFECT_ALPHA);
        return;
    }
    CxPoint size;
    description.GetPoint("Options", "Size", &size, CxPoint{100, 100});
    SetSizeValue(ResolveDisplaySize(size));
}

// ------------------------------------------------------------- names
void CKelDialog::Register()
{
    if (registeredName_ == GetName()) return;
    Unregister();
    registeredName_ = GetName();
    RegisterOwnCreator(registeredName_, this);
}

void CKelDialog::Unregister()
{
    UnregisterOwnCreator(registeredName_, this);
    registeredName_ = "";
}

CxEvent* CKelDialog::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    if (!kind || !TextEquals(creatorName, GetName(), true) || TextEquals(kind, "TODO", true)) return nullptr;
    return new CCommandEvent(this, kind, arguments);
}

// ------------------------------------------------------------- buttons
CKelButton* CKelDialog::FindButton(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = buttons_.GetHead(); node; node = node->next)
        if (TextEquals(node->value->GetName(), name, true)) return node->value;
    return nullptr;
}

void CKelDialog::RemoveButtons()
{
    while (!buttons_.IsEmpty()) delete buttons_.RemoveHead();
}

// ------------------------------------------------------------- running
int CKelDialog::RunLine(const char* line)
{
    CxLuaEngine* engine = engine_;
    if (!engine && CxApp::GetApp()) engine = CxApp::GetApp()->GetScriptEngine();
    return engine ? engine->RunString(line) : ERR_INVALID_ARGUMENT;
}

int CKelDialog::DoModal()
{
    for (auto* node = buttons_.GetHead(); node; node = node->next) node->value->SetState(BUTTON_NORMAL);
    CxRoomManager* rooms = GetScriptRoomManager();
    if (rooms && rooms->GetCurrentRoom()) Link(rooms->GetCurrentRoom());
    // A modal dialog that the room's own buttons could cover would be
    // unusable: it goes in front of everything in the room.
    SetZOrder(Z_FRONT);
    if (centered_) Center();
    else Show();
    idle_.Start();
    delete idleHook_;
    idleHook_ = new IdleHook(*this);
    if (!onDoModal_.IsEmpty()) RunLine(CxString(onDoModal_));
    int code = CxDialogBox::DoModal();
    delete idleHook_;
    idleHook_ = nullptr;
    idle_.Stop();
    Hide();
    return code;
}

void CKelDialog::CheckIdle()
{
    if (int due = idle_.Check()) OnIdleTimeOut(due);
}

void CKelDialog::OnIdleTimeOut(int count)
{
    if (const CxString* line = idle_.Line(count)) RunLine(CxString(*line));
}
