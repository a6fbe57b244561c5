#include "app/CxConsoleState.h"
#include "core/CxOptions.h"
#include "foundation/Qorstr.h"

#include <cstring>

namespace {
constexpr const char* kSection = "Engine.Game.CommandConsole";
constexpr const char* kAliases = "Engine.Game.CommandConsole.Aliases";
constexpr int kMaxCommandLength = 127;
}  // namespace

CxConsoleState::CxConsoleState(CxOptions* options) : options_(options)
{
    if (!options) return;
    maxOutput_ = options->ReadInt(kSection, "MaxOutputHistory", 128);
    maxCommands_ = options->ReadInt(kSection, "MaxCommandHistory", 128);
    if (maxOutput_ < 1) maxOutput_ = 1;
    if (maxCommands_ < 1) maxCommands_ = 1;
}

void CxConsoleState::Print(const char* text)
{
    if (!text) return;
    for (const char* start = text;;) {
        const char* end = std::strchr(start, '\n');
        CxString line;
        line.Append(start, int(end ? end - start : int(std::strlen(start))));
        output_.AddTail(line);
        while (output_.GetCount() > maxOutput_) output_.RemoveHead();
        if (!end) break;
        start = end + 1;
    }
}

CxString CxConsoleState::Execute(const char* command, Runner runner)
{
    if (!command || !*command) return CxString();
    while (history_.GetCount() >= maxCommands_) history_.RemoveHead();
    history_.AddTail(CxString(command));
    position_ = 0;
    if (echo_) Print(command);

    char text[kMaxCommandLength + 1];
    CopyText(text, command, sizeof text);
    if (options_) {
        if (CxOptionVariable* alias = options_->FindVariable(kAliases, command))
            CopyText(text, alias->value.Text(), sizeof text);
    }
    if (runner) runner(text);
    return CxString(text);
}

CxString CxConsoleState::Navigate(int step)
{
    int count = history_.GetCount();
    if (count == 0) return CxString();
    position_ = ((position_ + step) % count + count) % count;
    auto* node = history_.GetHead();
    for (int i = 0; i < position_; ++i) node = node->next;
    return node->value;
}
