// The first window: a display application with nothing but a scene of its
// own (a backdrop and the pet's picture, which follows left clicks and the
// arrow keys) in a window that closes cleanly.  The window, screen and
// input layers are checked with it apart from the game's rooms and data.
#pragma once
#include "app/CxDisplayApp.h"
#include "display/CxSprite.h"

class CxDrawText;
class FirstWindowStage;

class FirstWindowApp : public CxDisplayApp {
public:
    FirstWindowApp();
    void StartCycle() override;
    void StopCycle() override;
    void UpdateFrame() override;

    FirstWindowStage* GetStage() const { return stage_; }

private:
    FirstWindowStage* stage_ = nullptr;   // owned by the display tree's root
    uint32_t lastFrame_ = 0;
};

// The first scene: a backdrop sprite with the pet sprite on it.  It takes
// the keys (it is the active object) and the clicks that reach it.
class FirstWindowStage : public CxSprite {
public:
    ~FirstWindowStage() override;
    int Build(CxDisplayObject* root);
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    CxSprite* GetPet() const { return pet_; }

private:
    void MovePet(CxPoint centre);

    CxSprite* pet_ = nullptr;     // children: deleted with the stage
    CxDrawText* title_ = nullptr;
};
