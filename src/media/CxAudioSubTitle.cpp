#include "media/CxAudioSubTitle.h"

#include "core/CxTime.h"
#include "display/CxDrawText.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"

#include <cstdlib>
#include <cstring>

namespace {
CxSubtitleParentFn gParent = nullptr;
CxSubtitleSizeFn gDisplaySize = nullptr;

// The decimal number at the start of [p, end): white space, a sign, digits.
int32_t LeadingNumber(const char* p, const char* end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    int64_t value = 0;
    while (p < end && *p >= '0' && *p <= '9' && value < 100000000) value = value * 10 + (*p++ - '0');
    return int32_t(negative ? -value : value);
}
const char* FindChar(const char* p, const char* end, char c)
{
    for (; p < end; ++p)
        if (*p == c) return p;
    return nullptr;
}
}  // namespace

void SetSubtitleStage(CxSubtitleParentFn parent, CxSubtitleSizeFn displaySize)
{
    gParent = parent;
    gDisplaySize = displaySize;
}

CxAudioSubTitle::CxAudioSubTitle() = default;

CxAudioSubTitle::~CxAudioSubTitle()
{
    StopSample();
    delete text_;
    text_ = nullptr;
}

int CxAudioSubTitle::Load(const char* path)
{
    Unload();
    char* bytes = nullptr;
    uint32_t size = 0;
    if (QorFileReadAll(path, &bytes, &size) != 0) return Error(ERR_OPEN_FILE, "Could not open sound file: %s", path);
    FileName = path;
    int code = LoadFromMemory(bytes, size, true);
    QorFree(bytes);
    return code;
}

int CxAudioSubTitle::LoadFromMemory(const void* bytes, uint32_t count, bool)
{
    lines_.RemoveAll();
    const char* p = static_cast<const char*>(bytes);
    const char* end = p + count;
    while (p < end) {
        const char* comma = FindChar(p, end, ',');
        if (!comma) break;
        int32_t duration = LeadingNumber(p, comma);
        const char* text = comma + 1;
        while (text < end && *text == ' ') ++text;
        const char* lineEnd = FindChar(text, end, '\n');
        if (!lineEnd) lineEnd = end;
        const char* textEnd = lineEnd;
        if (textEnd > text && textEnd[-1] == '\r') --textEnd;
        CxString line;
        line.Append(text, int(textEnd - text));
        if (duration == -1) duration = 50 * line.GetLength();
        lines_.AddTail(CLineOfText{line, duration});
        p = lineEnd < end ? lineEnd + 1 : end;
    }
    return 0;
}

void CxAudioSubTitle::Unload()
{
    lines_.RemoveAll();
    CxSound::Unload();
}

const CLineOfText* CxAudioSubTitle::GetLine(int index) const
{
    int i = 0;
    for (auto* node = lines_.GetHead(); node; node = node->next, ++i)
        if (i == index) return &node->value;
    return nullptr;
}

void CxAudioSubTitle::ShowLine(int index)
{
    shown_ = index;
    const CLineOfText* line = GetLine(index);
    if (!line) return;
    timer_.Start(uint32_t(line->duration > 0 ? line->duration : 0) + (line->duration > 0 ? 0 : 1));
    if (text_) text_->SetString(line->text.Text());
}

int CxAudioSubTitle::StartSample()
{
    if (lines_.IsEmpty()) {
        CallDone();
        return 0;
    }
    CxDisplayObject* parent = gParent ? gParent() : nullptr;
    if (parent && gDisplaySize) {
        CxSize size = gDisplaySize();
        if (!text_) text_ = new CxDrawText;
        text_->Create(0, size.height - 40, size.width, 40, parent, 0);
        text_->SetDefaultDepth(0);
        text_->SetFont(-1);
    }
    VolumeState |= SOUND_STATE_PLAYING;
    ShowLine(0);
    if (text_) text_->Show();
    return 0;
}

void CxAudioSubTitle::StopSample()
{
    timer_.Reset();
    while (timer_.GetPauseCount() > 0) timer_.CountResume();
    if (text_) {
        text_->Hide();
        if (CxDisplayObject* parent = text_->GetParent()) parent->RemoveChild(text_);
    }
    VolumeState &= ~uint32_t(SOUND_STATE_PLAYING);
}

void CxAudioSubTitle::Update()
{
    if (IsPaused()) return;
    if (!IsPlaying()) {
        CxSound::Update();   // a queued subtitle starts in its turn
        return;
    }
    if (!timer_.HasExpired(QorTickCount())) return;
    if (shown_ + 1 < lines_.GetCount()) {
        ShowLine(shown_ + 1);
        return;
    }
    Stop();
    CallDone();
}
