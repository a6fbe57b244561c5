// A dialog laid out by a description file: background, buttons with their
// script lines, idle time-outs while it is modal, and script lines run when
// it is loaded and when it is shown.
//
// The dialog is an event creator under its own name; it answers only events
// addressed to that name ("Pause.EndModal()"), each a command event that
// comes back to OnCommand.
#pragma once
#include "core/CxMainLoopHook.h"
#include "core/CxOptions.h"
#include "events/CCommandHandler.h"
#include "events/CxEvent.h"
#include "framework/CKelIdle.h"
#include "display/CxDialogBox.h"

class CKelButton;
class CxLuaEngine;

class CKelDialog : public CxDialogBox, public CxEventCreator, public CCommandHandler {
public:
    CKelDialog();
    ~CKelDialog() override;

    // Reads the description at `path` (through the game paths); a missing
    // file leaves every key at its default.  0 or the file's error code.
    virtual int Load(const char* path);
    // What Load does with the description once it is read.
    void Describe(CxOptions& description);
    // Derived dialogs read keys of their own here, after the framework's.
    virtual void OnLoadOptions(CxOptions& description) {}
    int DoModal() override;
    virtual void OnIdleTimeOut(int count);

    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    int OnCommand(const char* command, CxLinkedList<CxString>& arguments) override;

    // Which point of a button its described Position names (an anchor of
    // the display objects); set before Load.  The top-left corner at first.
    void SetButtonAnchor(int anchor) { buttonAnchor_ = anchor; }
    CKelButton* FindButton(const char* name) const;
    int ButtonCount() const { return buttons_.GetCount(); }
    void SetScriptEngine(CxLuaEngine* engine) { engine_ = engine; }
    void CheckIdle();
    CKelIdle& GetIdle() { return idle_; }
    bool IsCentered() const { return centered_; }
    int32_t GetMovieDriverFlags() const { return movieDriverFlags_; }
    const CxString& GetOnDoModal() const { return onDoModal_; }

private:
    void ApplyDescription(CxOptions& description);
    void ApplySurface(CxOptions& description);
    void RemoveButtons();
    void Register();
    void Unregister();
    int  RunLine(const char* line);

    CxLinkedList<CKelButton*> buttons_;
    CxString onDoModal_;
    CxString registeredName_;
    CKelIdle idle_;
    CxMainLoopHook* idleHook_ = nullptr;
    CxLuaEngine* engine_ = nullptr;
    bool centered_ = false;
    int buttonAnchor_ = ANCHOR_TOP_LEFT;
    int32_t movieDriverFlags_ = 0;
};
