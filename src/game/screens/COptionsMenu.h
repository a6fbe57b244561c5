// The options menu: the resolution (four radio buttons, each enabled only
// when the display has a mode of that size at 16 bits or more), the AntiAlias and
// ShowTipDialogs boxes, and the master volume bar, heard at once while it
// moves and put back on leaving unless "Accept" was pressed.  "Accept"
// stores the settings; a new resolution is stored as "Engine.Window" /
// "Size" and restarts the game, whose next cycle finds g_bRestarted true.
//
// The description's [Layout] may move the widgets (Resolutions, AntiAlias,
// ShowTipDialogs, Volume: top-left points; VolumeTrack: the bar's groove
// picture); the defaults suit a 1024 x 768 room.
#pragma once
#include "framework/CBaseRoom.h"
#include "game/screens/CMenuPictures.h"

#include <vector>

class CxCheckButton;
class CxRadioButton;
class CxRadioGroup;
class CxVerticalScrollBar;

struct CDisplayMode {
    int32_t width, height;
    int depth;
};

class COptionsMenu : public CBaseRoom {
public:
    static constexpr int kSizes = 4;
    static constexpr CxSize kSizeList[kSizes] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};

    COptionsMenu();
    ~COptionsMenu() override;

    void StartRoom() override;
    void StopRoom() override;
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
    void OnButtonNotify(CxDisplayObject* sender, int32_t code, int32_t extra) override;
    // Yes at once while the restart for a new resolution is under way.
    int  OnQuitRequest() override;

    void Accept();

    CxRadioButton* GetSizeButton(int index) const { return sizes_[index]; }
    CxCheckButton* GetAntiAliasBox() const { return antiAlias_; }
    CxCheckButton* GetTipsBox() const { return tips_; }
    CxVerticalScrollBar* GetVolumeBar() const { return volume_; }
    bool IsRestartPending() const { return restartPending_; }
    int  GetSavedVolume() const { return savedVolume_; }

protected:
    // What the room asks of the game; tests answer for a game of their own.
    virtual CxOptions* GameOptions();
    virtual CxOptions* AppOptions();
    // The display's modes as (width, height, depth).
    virtual void CollectDisplayModes(std::vector<CDisplayMode>& modes);
    virtual int32_t CurrentWidth();
    virtual bool HasMultisampling();
    virtual void RestartGame();
    virtual void ShowCredits();
    // The master volume, 0..127; -1 when nothing plays sound.
    virtual int  MasterVolume();
    virtual void SetVolume(int volume);

private:
    void RemoveWidgets();
    CxCheckButton* MakeBox(int32_t x, int32_t y);

    CxRadioGroup* group_ = nullptr;
    CxRadioButton* sizes_[kSizes] = {};
    CxCheckButton* antiAlias_ = nullptr;
    CxCheckButton* tips_ = nullptr;
    CxVerticalScrollBar* volume_ = nullptr;
    int  savedVolume_ = -1;
    bool restartPending_ = false;
    bool accepted_ = false;
    bool ready_ = false;
    CMenuPictures pictures_;
};
