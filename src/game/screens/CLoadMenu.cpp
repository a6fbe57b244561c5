#include "game/screens/CLoadMenu.h"

#include "display/CxDrawText.h"
#include "display/CxListBox.h"
#include "display/CxScrollBar.h"
#include "files/CxFileSystem.h"
#include "files/QorFile.h"
#include "framework/CLanguageString.h"
#include "game/CBaseApp.h"
#include "script/CxScriptText.h"

namespace {
constexpr uint32_t kItemTextFlagsLeft = 0x10000021;    // left, vertically centred
constexpr uint32_t kItemTextFlagsRight = 0x10000022;   // right, vertically centred
constexpr CxPixel kItemInk = 0xFF000000;

CxDrawText* ItemText(CxDisplayObject* parent, int32_t x, int32_t width, int32_t fontId, uint32_t flags, const char* text)
{
    auto* line = new CxDrawText;
    line->Create(x, 0, width, 82, parent, 0);
    line->SetDefaultDepth(32);
    line->SetPointSize(20);
    line->SetFont(fontId);
    line->SetString(text);
    line->SetTextFlags(flags);
    line->SetColor(kItemInk);
    line->Show();
    return line;
}
}  // namespace

// ---------------------------------------------------------------- one save
CItem::~CItem()
{
    delete checkmark_;   // a child of the picture: goes first
    delete picture_;
    delete name_;
    delete money_;
}

int CItem::Make(const char* path, int32_t fontId)
{
    CxOptions save;
    save.Open(path);   // a save that cannot be read gives the defaults
    Create(0, 0, 420, 90, nullptr, 0);
    path_ = path;

    picture_ = new CxSprite;
    CxString picture;
    picture.Format("But_xVload%s_01T.tga", save.ReadString("Pet", "Breed", "Bengal").Text());
    picture_->LoadSurface(picture.Text(), 5);
    picture_->Link(this);
    picture_->Paint(0, 0);

    name_ = ItemText(this, 90, 210, fontId, kItemTextFlagsLeft, save.ReadString("Pet", "Name", "").Text());
    CxString money;
    money.Format("$%d", int(save.ReadInt("Pet", "Money", 0)));
    money_ = ItemText(this, 300, 120, fontId, kItemTextFlagsRight, money.Text());

    checkmark_ = new CxSprite;
    checkmark_->LoadSurface("But_xVRcheckmark_01T.tga", 1);
    checkmark_->Link(picture_);
    checkmark_->Center();
    checkmark_->Erase();
    save.Close();
    return 0;
}

void CItem::SetSelected(bool selected)
{
    if (selected) checkmark_->Center();
    else checkmark_->Erase();
    picture_->SetCurFrame(selected ? 3 : 0);
}

// ---------------------------------------------------------------- the room
CLoadMenu::CLoadMenu() = default;

CLoadMenu::~CLoadMenu() { RemoveWidgets(); }

CxOptions* CLoadMenu::GameOptions()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? &app->GetGameOptions() : nullptr;
}

int32_t CLoadMenu::FontId()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? app->GetFontId() : -1;
}

CItem* CLoadMenu::GetItem(int32_t index) const
{
    return list_ ? dynamic_cast<CItem*>(list_->GetItem(index)) : nullptr;
}

void CLoadMenu::StartRoom()
{
    selected_ = -1;
    RemoveWidgets();
    pictures_.Mount();
    list_ = new CxListBox;
    list_->Create(234, 210, 430, 320, this, 0);
    // The description may lay the list on a picture of its own.
    CxString sheet = GetDescription().ReadString("List", "Picture", "");
    if (!sheet.IsEmpty()) list_->LoadSurface(sheet.Text(), 1);
    list_->Show();
    list_->SetLineHeight(112);
    list_->SetHighlight(false);
    list_->SetVisibleCount(3);

    CxLinkedList<CxFileInfo*> saves;
    QorBuildFileList(&saves, "<AppData>pet_*.sav", 0, 0);
    int32_t fontId = FontId();
    for (auto* node = saves.GetHead(); node; node = node->next) {
        auto* item = new CItem;
        item->Make(node->value->Path.Text(), fontId);
        list_->AddLast(item);
    }
    while (!saves.IsEmpty()) delete saves.RemoveHead();

    scrollBar_ = new CxVerticalScrollBar;
    scrollBar_->Create(696, 196, 46, 354, this, 0);
    CxString groove = GetDescription().ReadString("List", "Track", "");
    if (!groove.IsEmpty()) scrollBar_->LoadSurface(groove.Text(), 1);
    scrollBar_->LoadThumb("UI_xVRscrollline_01T.tga");
    if (CxSprite* thumb = scrollBar_->GetThumb()) thumb->SetMaskColor(CX_NO_COLOR);
    scrollBar_->Show();
    scrollBar_->SetLineStep(1);
    scrollBar_->SetPageStep(1);
    scrollBar_->SetButtonLength(30);
    scrollBar_->SetRange(0, list_->GetCount() - 1);
    if (list_->GetCount() > 0) scrollBar_->SetScrollPosition(0);

    CBaseRoom::StartRoom();
}

void CLoadMenu::RemoveWidgets()
{
    if (list_) {
        list_->RemoveAll();
        list_->Kill();
        delete list_;
        list_ = nullptr;
    }
    if (scrollBar_) {
        scrollBar_->Kill();
        delete scrollBar_;
        scrollBar_ = nullptr;
    }
}

void CLoadMenu::StopRoom()
{
    RemoveWidgets();
    pictures_.Unmount();
    selected_ = -1;
    CBaseRoom::StopRoom();
}

CxDisplayObject* CLoadMenu::OnMouseWheel(uint32_t keys, CxPoint point, int notches)
{
    if (scrollBar_ && scrollBar_->GetMaximum() >= scrollBar_->GetMinimum())
        scrollBar_->SetScrollPosition(scrollBar_->GetScrollPosition() - notches);
    return CBaseRoom::OnMouseWheel(keys, point, notches);
}

void CLoadMenu::Select(int32_t index)
{
    if (selected_ != -1)
        if (CItem* previous = GetItem(selected_)) previous->SetSelected(false);
    if (index == -1) return;
    CItem* item = GetItem(index);
    if (!item) return;
    selected_ = index;
    item->SetSelected(true);
    RunScriptLine(CxString::FormatNew("Room.selected_pet = %s", ScriptQuote(item->GetPath().Text()).Text()).Text());
    RunScriptLine("Room.load_btn:Enable()");
    RunScriptLine("Room.delete_btn:Enable()");
}

void CLoadMenu::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (kind == NOTIFY_SCROLL && sender == scrollBar_ && list_) {
        list_->SetTopIndex(code);
        return;
    }
    if (kind == NOTIFY_LIST && sender == list_) {
        Select(code);
        return;
    }
    if (kind == NOTIFY_BUTTON && code == BUTTON_CODE_CLICKED && sender && CxString(sender->GetName()) == "Delete") {
        DeleteSelectedPet();
        return;
    }
    CBaseRoom::OnNotify(kind, sender, code, extra);
}

void CLoadMenu::DeleteSelectedPet()
{
    if (!list_) return;
    if (!DoYesNoDialog(LookUpLanguageString(GetScriptEngine(), "DeletePetYesNo").Text())) return;
    int32_t index = list_->GetSelection();
    CItem* item = GetItem(index);
    if (item) {
        // A save that stays on the disc stays in the list: the player sees
        // what the folder holds, is told, and may try again.  It is not an
        // error of the game: enough of them would end it.
        if (QorFileDelete(item->GetPath().Text()) != 0) {
            Print("Cannot delete the saved pet %s", item->GetPath().Text());
            DoOkDialog(LookUpLanguageString(GetScriptEngine(), "DeletePetFailed").Text());
            return;
        }
        list_->RemoveItem(index);
        if (selected_ == index) selected_ = -1;
        else if (selected_ > index) --selected_;
    }
    RunScriptLine("Room.selected_pet = nil");
    RunScriptLine("Room.load_btn:Disable()");
    RunScriptLine("Room.delete_btn:Disable()");
    if (scrollBar_) scrollBar_->SetRange(0, list_->GetCount() - 1);
    if (CItem* first = GetItem(0))
        if (CxOptions* options = GameOptions()) options->SetString("Tolu", "LastPet", first->GetPath().Text());
}
