// A subtitle file played like a sound: lines of text shown one after
// another along the bottom of the display, each for its own time.
//
// File format: "<duration ms>,<text>" lines.  A duration of -1 stands for
// 50 ms a character.  Parsing takes the number before the next comma and
// the text from that comma to the line feed; it ends when no comma is left,
// so a line without a comma becomes the start of the next item's number.
#pragma once
#include "core/CxTimer.h"
#include "foundation/CxGeometry.h"
#include "media/CxSound.h"

class CxDisplayObject;
class CxDrawText;

struct CLineOfText {
    CxString text;
    int32_t duration;
};

class CxAudioSubTitle : public CxSound {
public:
    CxAudioSubTitle();
    ~CxAudioSubTitle() override;

    int  Load(const char* path) override;
    int  LoadFromMemory(const void* bytes, uint32_t count, bool borrow) override;
    void Unload() override;
    void Update() override;
    bool IsDone() override { return !IsPlaying(); }
    bool IsLoaded() override { return lines_.GetCount() > 0; }
    int  StartSample() override;
    void StopSample() override;
    void PauseSample() override { timer_.CountPause(); }
    void ResumeSample() override { timer_.CountResume(); }
    bool IsEventDone() override { return !IsPlaying() && !IsQueued(); }

    int GetLineCount() const { return lines_.GetCount(); }
    int GetShownLine() const { return shown_; }
    const CLineOfText* GetLine(int index) const;
    CxDrawText* GetTextObject() const { return text_; }

private:
    void ShowLine(int index);

    CxLinkedList<CLineOfText> lines_;
    int shown_ = -1;
    CxTimer timer_;
    CxDrawText* text_ = nullptr;
};

// Where subtitles appear: the parent of the text (the current room) and the
// display's size, given by the application.  Without them lines are timed
// but not drawn.
using CxSubtitleParentFn = CxDisplayObject* (*)();
using CxSubtitleSizeFn = CxSize (*)();
void SetSubtitleStage(CxSubtitleParentFn parent, CxSubtitleSizeFn displaySize);
