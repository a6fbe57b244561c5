// A button that plays an animation action for each state instead of showing
// a still frame: its state map holds path numbers of its own animation.
#pragma once
#include "display/CxAnimation.h"
#include "display/CxButton.h"

class CxAnimatedButton : public CxButton {
public:
    explicit CxAnimatedButton(int32_t style = BUTTON_PUSH) : CxButton(style) { animation_.SetSprite(this); }

    int SetState(int32_t state) override;
    // Replaces the animation's paths; the state map then names paths.
    virtual void LoadAnimation(const CxAnimationPath* paths, int32_t count);

    CxAnimation& GetAnimation() { return animation_; }

private:
    CxAnimation animation_;
};
