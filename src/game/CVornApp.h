// The game's application object.  The game layers (rooms, the pet, the
// menus) will sit between it and the display layer; until they exist it
// shows a first scene: a backdrop and the pet's picture, which follows
// left clicks and the arrow keys, in a window that closes cleanly.
#pragma once
#include "core/CxDisplayApp.h"
#include "display/CxSprite.h"

extern const CxAppInfo gVornAppInfo;

class CVornStage;

class CVornApp : public CxDisplayApp {
public:
    CVornApp() : CxDisplayApp(gVornAppInfo) {}
    void StartCycle() override;
    void StopCycle() override;
    void UpdateFrame() override;

    CVornStage* GetStage() const { return stage_; }

private:
    CVornStage* stage_ = nullptr;   // owned by the display tree's root
    uint32_t lastFrame_ = 0;
};

// The first scene: a backdrop sprite with the pet sprite on it.  It takes
// the keys (it is the active object) and the clicks that reach it.
class CVornStage : public CxSprite {
public:
    ~CVornStage() override;
    int Build(CxDisplayObject* root);
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    CxSprite* GetPet() const { return pet_; }

private:
    void MovePet(CxPoint centre);

    CxSprite* pet_ = nullptr;   // a child: deleted with the stage
};
