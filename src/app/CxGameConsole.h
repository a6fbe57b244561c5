// The command console: a developer window inside the game screen with a
// scrolling output list that shows everything printed through the engine's
// print routine (script `print` included) and an input line whose text runs
// as a script command.
//
// Layout for a console of w x h: output list at (5, 5), (w - 30) x (h - 33);
// scroll bar 16 x (h - 33), 6 from the right and 5 from the top; input line
// (w - 10) x 20, 5 from the left and 6 from the bottom.
//
// Keys: Enter runs the input line (history, echo, aliases from
// "Engine.Game.CommandConsole.Aliases", cut to 127 characters) and clears
// it; Escape hides the console; Up and Down walk the command history
// (wrapping); Control+C clears the output; every other key goes to the
// input line.  The wheel scrolls the output.
//
// While it exists the console is the engine's one print listener.
#pragma once
#include "app/CxConsoleState.h"
#include "display/CxCommonDialog.h"
#include "display/CxCommonEdit.h"
#include "display/CxCommonTextListBox.h"
#include "display/CxCommonVerticalScrollBar.h"

class CxOptions;

class CxGameConsole : public CxCommonDialog {
public:
    // `options` holds the history limits and the aliases; null: the
    // application's options.
    explicit CxGameConsole(CxOptions* options = nullptr);
    ~CxGameConsole() override;

    int  Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                int32_t controlId) override;
    int  Show() override;
    int  Hide() override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    CxDisplayObject* OnMouseWheel(uint32_t keys, CxPoint point, int notches) override;
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;

    // Splits at line breaks (a final one ends the last line without adding
    // an empty one); the oldest lines go beyond the output limit.
    void Print(const char* text);
    void Execute(const char* command);
    void ClearOutput();
    void SetEcho(bool on) { echo_ = on; }

    const CxConsoleState& State() const { return state_; }
    CxCommonTextListBox& Output() { return output_; }
    CxCommonEdit& Input() { return input_; }
    CxCommonVerticalScrollBar& ScrollBar() { return bar_; }

private:
    void SyncScrollBar();
    void ShowCommand(const CxString& command);

    CxConsoleState state_;
    CxCommonTextListBox output_;
    CxCommonEdit input_;
    CxCommonVerticalScrollBar bar_;
    CxDisplayObject* previousFocus_ = nullptr;
    bool echo_ = true;
    bool forwarding_ = false;
    bool printing_ = false;
};

// The application's console: only when "Engine.Game" / "AllowCommandConsole"
// is set (default 0); "CommandConsoleHeight" (default 200) high and
// `width` wide, at the top left in front of everything under the root, and
// hidden.  Null when not allowed or when it cannot be made (error 1).
CxGameConsole* CreateGameConsole(CxOptions& options, int32_t width);
// The backquote and the tilde show a hidden console and hide a shown one;
// answers whether the key was taken (never without a console).
bool ToggleGameConsole(CxGameConsole* console, KeyCode key);
