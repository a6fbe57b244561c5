// The button of description files: an animated button whose states show
// frames of one image, which runs script lines when the mouse enters or
// leaves it and when it is clicked, and which can flash.
//
// Frames: with five frames each state n shows frame n; with any other count
// state 0 shows frame 0 and every other state plays frames 1 to the last at
// 15 frames per second, over and over (a one-frame image shows frame 0 in
// every state).
#pragma once
#include "core/CxOptions.h"
#include "core/CxTimer.h"
#include "display/CxAnimatedButton.h"

class CxLuaEngine;
class CKelButton;

// The buttons "Button0", "Button1", ... of a description, up to the first
// section without a FileName, linked to `parent` in front of it and shown
// (without a parent: neither).
void CreateDescribedButtons(CxOptions& description, CxDisplayObject* parent, CxLuaEngine* engine,
                            bool readMaskOnly, CxLinkedList<CKelButton*>& out);

class CKelButton : public CxAnimatedButton, public CxTimerListener {
public:
    CKelButton();
    ~CKelButton() override;

    // Reads section `section` of a description ("Button0" ...): image,
    // frames, control id, mask, cursor, name, position and the script lines.
    // A missing image is reported and leaves a button without a picture.
    void Describe(CxOptions& description, const char* section, bool readMaskOnly);
    int  LoadImage(const char* path, int frames);   // a game path

    void Notify(int32_t code) override;
    void OnTimer(CxTimerCallBack* timer) override;

    void StartFlash(uint32_t interval);
    void StopFlash();
    bool IsFlashing() const { return flashTimer_ != nullptr; }
    // The image of the normal or the highlighted state, without a state change.
    void ShowHighlight(bool on);
    bool IsHighlightShown() const { return highlightShown_; }

    void SetScriptEngine(CxLuaEngine* engine) { engine_ = engine; }
    const CxString& GetOnClick() const { return onClick_; }
    const CxString& GetOnMouseEnter() const { return onMouseEnter_; }
    const CxString& GetOnMouseLeave() const { return onMouseLeave_; }
    int32_t GetCursor() const { return cursor_; }

private:
    void RunLine(const CxString& line);
    void EnterCursor();
    void LeaveCursor();
    void BuildStatePaths(int frames);

    CxLuaEngine* engine_ = nullptr;
    CxString onClick_, onMouseEnter_, onMouseLeave_;
    int32_t cursor_ = -1;
    int32_t savedCursor_ = -1;   // -1: nothing to give back
    CxTimerCallBack* flashTimer_ = nullptr;
    bool highlightShown_ = false;
};
