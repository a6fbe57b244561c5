// The pet room of the house: the tweak bone bent over the pet's clips, a
// periodic "Room.OnTick", the tool cursors, the engine's message box for the
// scripts, the talent-show timer and the debug output switch.
#pragma once
#include "game/world/CPetRoom.h"

class CTweakBoneState;
class CxDrawText;

class CHouse : public CPetRoom {
public:
    static constexpr uint32_t kTickIntervalMs = 50;

    CHouse();
    ~CHouse() override;

    void PrepareRoom() override;
    void StartRoom() override;
    void StopRoom() override;
    void OnPause() override;
    void OnResume() override;
    void OnMainLoopPass() override;
    // The pet's pose, before it is drawn: the tweak bone.
    void AdjustPose(CxModelRig& rig, CxRigLocalPose& pose) override;

    // Virtual operations of the house, in slot order.
    virtual int  DoMessageBox(const char* title, const char* message, const char* first, const char* second);
    virtual void SetTalentTimer(int minutes, int seconds);
    virtual void ToggleTalentTimer();
    virtual void SetShampooCursor();
    virtual void SetBrushCursor();
    virtual void RevertToDefaultCursor();
    virtual void TurnOnTempOutput() { tempOutput_ = true; }
    virtual void TurnOffTempOutput() { tempOutput_ = false; }

    // Any tool cursor by its id (shower 13, spray 14 as well).
    void SetToolCursor(int32_t id);
    int32_t GetToolCursor() const { return toolCursor_; }
    uint32_t GetHouseClockMs() const { return houseClock_.Elapsed(); }
    CTweakBoneState* GetTweakState() const { return tweak_.get(); }
    bool IsTalentTimerShown() const { return timerShown_; }
    const char* GetTalentTimerText() const;
    bool IsTempOutputOn() const { return tempOutput_; }

    static CHouse* GetRunningHouse();

protected:
    int32_t RestingCursor() const override { return toolCursor_; }

private:
    void RegisterHouseFunctions();
    void BuildTimerDisplay();

    CxTimer houseClock_;
    uint32_t lastTick_ = 0;
    std::unique_ptr<CTweakBoneState> tweak_;
    CxDrawText* timerText_ = nullptr;   // a child of the room
    CxString timerString_ = "00:00";
    bool timerShown_ = false;
    bool tempOutput_ = false;
    int32_t toolCursor_ = 0;
};
