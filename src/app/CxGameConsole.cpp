#include "app/CxGameConsole.h"
#include "app/CxApp.h"
#include "core/CxOptions.h"
#include "display/CxDisplayTree.h"
#include "script/CxLuaEngine.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t kMargin = 5;
constexpr int32_t kBarWidth = 16;
constexpr int32_t kInputHeight = 20;
constexpr KeyCode kControlC = ('C' + 64) | KEY_CONTROL;
constexpr KeyCode kControlLowerC = ('c' + 64) | KEY_CONTROL;
constexpr KeyCode kEnter = 13;

CxGameConsole* gConsole = nullptr;

void PrintToConsole(const char* text)
{
    if (gConsole) gConsole->Print(text);
}

int RunCommand(const char* text)
{
    CxApp* app = CxApp::GetApp();
    CxLuaEngine* engine = app ? app->GetScriptEngine() : nullptr;
    return engine ? engine->RunString(text) : ERR_SCRIPTING;
}

CxOptions* OptionsOrApp(CxOptions* options) { return options ? options : CxApp::GetApp(); }
}  // namespace

CxGameConsole::CxGameConsole(CxOptions* options) : state_(OptionsOrApp(options))
{
    state_.SetEcho(false);   // the console echoes into its own list
}

CxGameConsole::~CxGameConsole()
{
    if (gConsole == this) {
        gConsole = nullptr;
        SetPrintListener(nullptr);
    }
}

int CxGameConsole::Create(int32_t x, int32_t y, int32_t w, int32_t h, CxDisplayObject* parent, int32_t controlId)
{
    CxCommonDialog::Create(x, y, w, h, parent, controlId);
    if (errorCode_) return errorCode_;
    output_.Create(kMargin, kMargin, w - 30, h - 33, this, 1);
    output_.Paint();
    bar_.Create(w - 6 - kBarWidth, kMargin, kBarWidth, h - 33, this, 2);
    bar_.Paint();
    input_.Create(kMargin, h - 6 - kInputHeight, w - 10, kInputHeight, this, 3);
    input_.CreateCaret(kInputHeight - 6, 0);
    input_.Paint();
    SyncScrollBar();
    gConsole = this;
    SetPrintListener(PrintToConsole);
    return errorCode_;
}

// ------------------------------------------------------------- showing
int CxGameConsole::Show()
{
    CxDisplayObject* active = GetActiveObject();
    if (active != &input_) previousFocus_ = active;
    input_.SetActive();
    return CxCommonDialog::Show();
}

int CxGameConsole::Hide()
{
    if (GetActiveObject() == &input_) {
        if (IsInDisplayTree(previousFocus_)) previousFocus_->SetActive();
        else displaytree::SetActive(nullptr);
    }
    previousFocus_ = nullptr;
    return CxCommonDialog::Hide();
}

// ------------------------------------------------------------- output
void CxGameConsole::Print(const char* text)
{
    if (!text || printing_) return;   // a print caused by printing would recurse
    printing_ = true;
    size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') --length;
    CxString whole;
    whole.Append(text, int(length));
    state_.Print(whole.Text());
    for (const char* start = whole.Text();;) {
        const char* end = std::strchr(start, '\n');
        CxString line;
        line.Append(start, int(end ? end - start : int(std::strlen(start))));
        output_.AddTextLast(line.Text());
        if (!end) break;
        start = end + 1;
    }
    while (output_.GetCount() > state_.MaxOutput()) output_.RemoveItem(0);
    output_.ScrollToBottom();
    SyncScrollBar();
    printing_ = false;
}

void CxGameConsole::ClearOutput()
{
    state_.ClearOutput();
    output_.RemoveAll();
    output_.Layout();
    SyncScrollBar();
}

void CxGameConsole::SyncScrollBar()
{
    bar_.SetRange(0, std::max(0, output_.GetCount() - std::max(0, output_.GetVisibleCount())));
    bar_.SetScrollPosition(output_.GetTopIndex());
}

// ------------------------------------------------------------- commands
void CxGameConsole::Execute(const char* command)
{
    if (!command || !*command) return;
    CxString text(command);   // the input line is cleared while it runs
    if (echo_) Print(text.Text());
    state_.Execute(text.Text(), RunCommand);
}

void CxGameConsole::ShowCommand(const CxString& command)
{
    input_.SetString(command.Text());
    input_.SetCaretPos(command.GetLength());
}

void CxGameConsole::OnKeyDown(KeyCode key, uint32_t flags)
{
    switch (key) {
    case kEnter: {
        CxString command(input_.GetString());
        input_.Clear();
        Execute(command.Text());
        return;
    }
    case KEY_ESCAPE: Hide(); return;
    case KEY_UP: ShowCommand(state_.Navigate(-1)); return;
    case KEY_DOWN: ShowCommand(state_.Navigate(1)); return;
    case kControlC:
    case kControlLowerC: ClearOutput(); return;
    default: break;
    }
    // The input line hands back the keys it does not take: those climb on.
    if (forwarding_) return CxCommonDialog::OnKeyDown(key, flags);
    forwarding_ = true;
    input_.OnKeyDown(key, flags);
    forwarding_ = false;
}

CxDisplayObject* CxGameConsole::OnMouseWheel(uint32_t, CxPoint, int notches)
{
    if (notches > 0) output_.ScrollUpBy(notches);
    else if (notches < 0) output_.ScrollDownBy(-notches);
    SyncScrollBar();
    return this;
}

void CxGameConsole::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (sender == &bar_ && kind == NOTIFY_SCROLL) return output_.SetTop(code);
    if (sender == &output_ || sender == &input_ || sender == &bar_) return;   // the console's own parts
    CxCommonDialog::OnNotify(kind, sender, code, extra);
}

// ------------------------------------------------------------- the application's console
CxGameConsole* CreateGameConsole(CxOptions& options, int32_t width)
{
    if (options.ReadInt("Engine.Game", "AllowCommandConsole", 0) == 0) return nullptr;
    int32_t height = options.ReadInt("Engine.Game", "CommandConsoleHeight", 200);
    auto* console = new CxGameConsole(&options);
    console->SetZOrder(Z_FRONT);
    if (width <= 0 || height <= 0 || console->Create(0, 0, width, height, GetRootObject(), 0) != 0) {
        delete console;
        ReportError(ERR_OUT_OF_MEMORY, "Could not create the Command Console");
        return nullptr;
    }
    return console;
}

bool ToggleGameConsole(CxGameConsole* console, KeyCode key)
{
    if (!console || (key != '`' && key != '~')) return false;
    if (console->IsVisible()) console->Hide();
    else console->Show();
    return true;
}
