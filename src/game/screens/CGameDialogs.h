// The game's small modal dialogs: description-file dialogs with one text in
// the player's language (the OK message and the yes/no question), and the
// two questions the rooms ask through them.
#pragma once
#include "framework/CKelDialog.h"

class CxDrawText;
class CxGameWindow;

// A dialog with one text placed by its description ("TextArea",
// "TextColor", "TextSize" and "<Language>Text" in [Options]).  Button
// positions in its description are the buttons' centres.
class CLocalizedDialog : public CKelDialog {
public:
    CLocalizedDialog();
    ~CLocalizedDialog() override;

    void OnLoadOptions(CxOptions& description) override;
    // Mouse input is switched on while the dialog runs, whatever the game
    // had set.
    int  DoModal() override;
    void SetText(const char* text);
    CxDrawText* GetText() const { return text_; }

private:
    CxDrawText* text_ = nullptr;
};

// The OK message: any button click ends it.
class CGenericDialog : public CLocalizedDialog {
public:
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
};

// The yes/no question: the buttons named "Yes" and "No" answer it; keys are
// swallowed.
class CYesNoDialog : public CLocalizedDialog {
public:
    CYesNoDialog();
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override {}
    int32_t GetResult() const { return result_; }

private:
    int32_t result_ = 0;
};

// "TextColor" text: "red, green, blue" as red * 65536 + green * 256 + blue;
// the default colour when the text does not hold three numbers.
uint32_t ParseTextColor(const char* text);

// Shows the OK message over the room, paused by one level meanwhile.
void RunOkDialog(CxGameWindow* room, const char* text);
// Asks over the room: 1 yes, 0 no (also when the loop ended without an
// answer).  A question asked while another is open answers 1 at once.
int  AskYesNoQuestion(CxGameWindow* room, const char* text);
