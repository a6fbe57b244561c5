#include "events/CxEventSequence.h"
#include "core/CxError.h"
#include "events/CxEventKinds.h"
#include "events/CxScriptEvents.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"

#include <strings.h>
#include <cstring>

namespace {
constexpr int kMaxNesting = 16;   // a file that includes itself stops here

// The first `ch` in [from, to), or null; never reads outside the range.
const char* FindIn(const char* from, const char* to, char ch)
{
    for (const char* at = from; at < to; ++at)
        if (*at == ch) return at;
    return nullptr;
}

struct Cursor {
    const char* at;
    const char* end;

    bool AtEnd() const { return at >= end || *at == 0; }
    bool Keyword(const char* word)
    {
        size_t n = strlen(word);
        if (size_t(end - at) < n || strncasecmp(at, word, n) != 0) return false;
        at += n;
        while (at < end && *at == ' ') ++at;
        return true;
    }
    const char* LineEnd() const
    {
        const char* stop = FindIn(at, end, '\n');
        return stop ? stop : end;
    }
    void SkipLine() { at = LineEnd(); }
};
}  // namespace

// ------------------------------------------------------------- CxSequence
CxSequence::CxSequence() { CxEvent::CreateChannel(&private_); }

CxSequence::~CxSequence()
{
    Empty();
    CxEvent::DestroyChannel(private_);
}

void CxSequence::Start()
{
    for (auto* node = events_.GetHead(); node; node = node->next) node->value->Post(private_);
    started_ = true;
}

void CxSequence::Empty()
{
    CxEvent::FlushChannel(private_);
    while (!events_.IsEmpty()) delete events_.RemoveHead();
}

// ------------------------------------------------------------- files
int CxEventSequenceFile::Load(const char* path, const CxInterpolator* variables)
{
    return LoadNested(path, variables, 0);
}

int CxEventSequenceFile::LoadNested(const char* path, const CxInterpolator* variables, int depth)
{
    Empty();
    path_.Empty();
    if (depth >= kMaxNesting) {
        Print("Sequence \"%s\" nests more than %d deep; the rest is left out\n", path ? path : "", kMaxNesting);
        return ERR_INVALID_ARGUMENT;
    }
    char* text = nullptr;
    uint32_t read = 0;
    int code = QorFileReadAll(path, &text, &read);
    if (code == ERR_OPEN_FILE) ReportError(code, "Could not open %s", path ? path : "");
    else if (code == ERR_OUT_OF_MEMORY) ReportError(code, "Out of memory reading %s", path);
    else if (code) ReportError(ERR_READ_FILE, "Unable to read %s", path);
    if (code) return code == ERR_OPEN_FILE || code == ERR_OUT_OF_MEMORY ? code : ERR_READ_FILE;
    path_ = path;
    code = Parse(text, read, variables, depth);
    QorFree(text);
    return code;
}

int CxEventSequenceFile::Parse(char* text, size_t size, const CxInterpolator* variables, int depth)
{
    for (size_t i = 0; i < size; ++i)
        if (text[i] == '\r') text[i] = '\n';
    Cursor c{text, text + size};
    bool runNextNow = false, dynamic = false;
    int result = 0;

    while (!c.AtEnd()) {
        if (*c.at == '#') { c.SkipLine(); continue; }
        if (*c.at == '\n') { ++c.at; continue; }
        if (c.Keyword("Dynamic")) { dynamic = true; continue; }
        if (c.Keyword("continue")) { runNextNow = true; continue; }
        uint32_t flags = runNextNow ? uint32_t(EVENT_RUN_NEXT_NOW) : 0u;

        if (c.Keyword("Lua")) {
            const char* stop = c.LineEnd();
            CxString line;
            line.Append(c.at, int(stop - c.at));
            auto* event = new CxLuaEvent(line);
            event->SetFlags(flags);
            Append(event);
            c.at = stop;
        } else if (c.Keyword("Event")) {
            const char* close = FindIn(c.at, c.end, ')');
            const char* stop = close ? close + 1 : c.LineEnd();
            CxString eventText;
            eventText.Append(c.at, int(stop - c.at));
            CxEvent* event = dynamic ? new CxDynamicEvent(eventText, variables, creator_)
                                     : CreateEventFromText(eventText, variables, creator_);
            if (event) {
                event->SetFlags(flags);
                Append(event);
            }
            c.at = (close && close + 2 <= c.end) ? close + 2 : stop;
        } else if (c.Keyword("Sequence")) {
            const char* stop = c.LineEnd();
            const char* nameEnd;
            CxString name;
            if (c.at < stop && *c.at == '"') {
                ++c.at;
                nameEnd = FindIn(c.at, stop, '"');
                if (!nameEnd) nameEnd = stop;
            } else {
                nameEnd = FindIn(c.at, stop, ' ');
                if (!nameEnd) nameEnd = stop;
            }
            name.Append(c.at, int(nameEnd - c.at));
            if (variables) name = variables->Expand(name);
            auto* nested = new CxEventSequenceFile;
            result = nested->LoadNested(name, variables, depth + 1);
            nested->SetFlags(flags);
            Append(nested);
            c.at = stop;
        } else {
            c.SkipLine();
            continue;
        }
        runNextNow = dynamic = false;
    }
    return result;
}
