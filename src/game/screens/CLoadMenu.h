// The load menu: the saved pets "<AppData>pet_*.sav" as a list of items
// with their breed's picture, name and money; a click selects one for the
// room script (Room.selected_pet), the button named "Delete" deletes the
// selected one after a yes/no question.
//
// A save whose file cannot be deleted stays listed, so the list never shows
// fewer saves than the folder holds, and the player is told with the OK
// message "DeletePetFailed".  The description's
// [List] Picture, when given, is the sheet the list lies on, and [List]
// Track the groove of its scroll bar.
#pragma once
#include "framework/CBaseRoom.h"
#include "game/screens/CMenuPictures.h"

class CxDrawText;
class CxListBox;
class CxSprite;
class CxVerticalScrollBar;

// One saved pet: 420 x 90, the picture at (0, 0) with the checkmark centred
// on it, the name at (90, 0) and the money at (300, 0).
class CItem : public CxDisplayObject {
public:
    CItem() = default;
    ~CItem() override;

    // Reads the save at `path` ([Pet] Breed, Name, Money); an unreadable
    // one gives the defaults.
    int  Make(const char* path, int32_t fontId);
    void SetSelected(bool selected);

    const CxString& GetPath() const { return path_; }
    CxSprite* GetPicture() const { return picture_; }
    CxSprite* GetCheckmark() const { return checkmark_; }
    CxDrawText* GetNameText() const { return name_; }
    CxDrawText* GetMoneyText() const { return money_; }

private:
    CxSprite* checkmark_ = nullptr;
    CxSprite* picture_ = nullptr;
    CxDrawText* name_ = nullptr;
    CxDrawText* money_ = nullptr;
    CxString path_;
};

class CLoadMenu : public CBaseRoom {
public:
    CLoadMenu();
    ~CLoadMenu() override;

    void StartRoom() override;
    void StopRoom() override;
    CxDisplayObject* OnMouseWheel(uint32_t keys, CxPoint point, int notches) override;
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;

    // Asks, then deletes the save selected in the list.
    void DeleteSelectedPet();

    CxListBox* GetList() const { return list_; }
    CxVerticalScrollBar* GetScrollBar() const { return scrollBar_; }
    int32_t GetSelectedIndex() const { return selected_; }
    CItem* GetItem(int32_t index) const;

protected:
    // The game options ("<AppData>options.ini"), or null without the game.
    virtual CxOptions* GameOptions();
    virtual int32_t FontId();

private:
    void Select(int32_t index);
    void RemoveWidgets();

    CxListBox* list_ = nullptr;
    CxVerticalScrollBar* scrollBar_ = nullptr;
    int32_t selected_ = -1;
    CMenuPictures pictures_;
};
