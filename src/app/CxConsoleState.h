// What the command console keeps apart from its widgets: the output lines,
// the command history with its position, aliases and the running of a
// command.  The console dialog shows this state and feeds it keys.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

class CxOptions;

class CxConsoleState {
public:
    using Runner = int (*)(const char* text);

    // Reads the two history limits from the options (default 128 each).
    explicit CxConsoleState(CxOptions* options = nullptr);

    // Splits at each line break; the oldest lines go beyond the limit.
    void Print(const char* text);
    void ClearOutput() { output_.RemoveAll(); }
    const CxLinkedList<CxString>& Output() const { return output_; }

    // Records the command, echoes it, resolves an alias from
    // "Engine.Game.CommandConsole.Aliases" (cut to 127 characters) and runs
    // it.  Returns the text that ran.
    CxString Execute(const char* command, Runner runner);
    // Moves through the history (wrapping) and returns the command there.
    CxString Navigate(int step);
    const CxLinkedList<CxString>& History() const { return history_; }
    int  HistoryPosition() const { return position_; }
    void SetEcho(bool on) { echo_ = on; }

    int MaxOutput() const { return maxOutput_; }
    int MaxCommands() const { return maxCommands_; }

private:
    CxOptions* options_;
    CxLinkedList<CxString> output_;
    CxLinkedList<CxString> history_;
    int position_ = 0;
    int maxOutput_ = 128;
    int maxCommands_ = 128;
    bool echo_ = true;
};
