#include "events/CxEvent.h"
#include "core/CxAppServices.h"
#include "events/CxInterpolator.h"
#include "foundation/Qorstr.h"

#include <cstring>

struct CxEventChannel : public CxObject {
    explicit CxEventChannel(uint32_t i) : id(i) {}
    uint32_t id;
    CxLinkedList<CxEvent*> events;   // head: the oldest, the one that runs
};

namespace {
using ChannelList = CxLinkedList<CxEventChannel*>;
using ChannelNode = CxListNode<CxEventChannel*>;

ChannelList gActive;
ChannelList gIdle;
uint32_t gNextChannelId = 1;

// Pumps nest when an event runs a modal loop; each level keeps the channel
// it visits next and the event it is calling into.
constexpr int kMaxDepth = 16;
struct PumpLevel {
    ChannelNode* current = nullptr;       // the channel being advanced, while it exists
    ChannelNode* nextChannel = nullptr;   // where to go on when it was destroyed
    CxEvent* busy = nullptr;
    bool busyDeleted = false;
    bool busyFlushed = false;
};
PumpLevel gLevels[kMaxDepth];
int gDepth = 0;

CxLinkedList<CxEventListener*>* gListeners = nullptr;
CxListNode<CxEventListener*>* gListenerWalkNext[kMaxDepth] = {};

ChannelNode* FindNode(ChannelList& list, uint32_t id)
{
    for (auto* node = list.GetHead(); node; node = node->next)
        if (node->value->id == id) return node;
    return nullptr;
}

CxEventChannel* FindChannel(uint32_t id)
{
    if (id == 0) return nullptr;
    if (auto* node = FindNode(gActive, id)) return node->value;
    if (auto* node = FindNode(gIdle, id)) return node->value;
    return nullptr;
}

bool IsActive(uint32_t id) { return FindNode(gActive, id) != nullptr; }

PumpLevel* BusyLevelOf(CxEvent* event)
{
    for (int i = 0; i < gDepth; ++i)
        if (gLevels[i].busy == event) return &gLevels[i];
    return nullptr;
}

int InvalidChannel(const char* operation)
{
    ReportError(ERR_INVALID_ARGUMENT, "CxEvent::%s(nChannelID) - nChannelID is not a valid event channel", operation);
    return ERR_INVALID_ARGUMENT;
}

void Finish(CxEvent* event)
{
    if (event->GetFlags() & EVENT_AUTO_DELETE) delete event;
    else event->Release();
}
}  // namespace

// ------------------------------------------------------------- events
CxEvent::~CxEvent()
{
    if (PumpLevel* level = BusyLevelOf(this)) {
        level->busy = nullptr;
        level->busyDeleted = true;
    }
    RemoveFromChannel();
}

int CxEvent::Post(uint32_t channelId)
{
    if (channelId == 0) return InvalidChannel("Post");
    CxEventChannel* channel = FindChannel(channelId);
    if (!channel) return InvalidChannel("Post");
    if (auto* idle = FindNode(gIdle, channelId)) {
        gIdle.RemoveAt(idle);
        gActive.AddTail(channel);
    }
    channel->events.AddTail(this);
    channel_ = channelId;
    return 0;
}

void CxEvent::RemoveFromChannel()
{
    if (CxEventChannel* channel = FindChannel(channel_))
        while (channel->events.Remove(this)) {}
    channel_ = 0;
}

// ------------------------------------------------------------- channels
int CxEvent::CreateChannel(uint32_t* channelId)
{
    if (!channelId) return ERR_INVALID_ARGUMENT;
    *channelId = 0;
    auto* channel = new CxEventChannel(gNextChannelId++);
    if (gNextChannelId == 0) gNextChannelId = 1;   // 0 is never a channel
    gIdle.AddTail(channel);
    *channelId = channel->id;
    return 0;
}

int CxEvent::FlushChannel(uint32_t channelId)
{
    if (channelId == 0) return InvalidChannel("FlushChannel");
    if (!IsActive(channelId)) return 0;
    CxEventChannel* channel = FindChannel(channelId);
    while (!channel->events.IsEmpty()) {
        CxEvent* event = channel->events.GetHead()->value;
        event->RemoveFromChannel();
        if (event->IsStarted() && !event->IsDone()) event->Stop();
        if (PumpLevel* level = BusyLevelOf(event)) level->busyFlushed = true;   // the pump finishes it
        else Finish(event);
        channel = FindChannel(channelId);   // a Stop may have destroyed it
        if (!channel) break;
    }
    return 0;
}

int CxEvent::DestroyChannel(uint32_t channelId)
{
    if (channelId == 0) return InvalidChannel("DestroyChannel");
    FlushChannel(channelId);
    ChannelNode* node = FindNode(gActive, channelId);
    ChannelList* list = &gActive;
    if (!node) {
        node = FindNode(gIdle, channelId);
        list = &gIdle;
    }
    if (!node) return 0;
    for (int i = 0; i < gDepth; ++i) {
        if (gLevels[i].current == node) {
            gLevels[i].current = nullptr;
            gLevels[i].nextChannel = node->next;
        }
    }
    CxEventChannel* channel = list->RemoveAt(node);
    for (auto* e = channel->events.GetHead(); e; e = e->next) e->value->channel_ = 0;
    delete channel;
    return 0;
}

bool CxEvent::IsChannelEmpty(uint32_t channelId)
{
    CxEventChannel* channel = FindChannel(channelId);
    return !channel || channel->events.IsEmpty();
}

bool CxEvent::IsChannelPaused(uint32_t channelId)
{
    CxEventChannel* channel = FindChannel(channelId);
    return channel && !channel->events.IsEmpty() && channel->events.GetHead()->value->IsPaused();
}

void CxEvent::PauseChannel(uint32_t channelId)
{
    CxEventChannel* channel = FindChannel(channelId);
    if (channel && !channel->events.IsEmpty()) channel->events.GetHead()->value->Pause();
}

void CxEvent::ResumeChannel(uint32_t channelId)
{
    CxEventChannel* channel = FindChannel(channelId);
    if (channel && !channel->events.IsEmpty()) channel->events.GetHead()->value->Resume();
}

bool CxEvent::ChannelExists(uint32_t channelId) { return FindChannel(channelId) != nullptr; }
void CxEvent::DestroyAllChannels()
{
    while (!gActive.IsEmpty()) DestroyChannel(gActive.GetHead()->value->id);
    while (!gIdle.IsEmpty()) DestroyChannel(gIdle.GetHead()->value->id);
}

bool CxEvent::AnyChannelBusy()
{
    for (auto* node = gActive.GetHead(); node; node = node->next)
        if (!node->value->events.IsEmpty()) return true;
    return false;
}

int  CxEvent::ChannelCount() { return gActive.GetCount() + gIdle.GetCount(); }

// ------------------------------------------------------------- the pump
struct CxEventPump {
    // Runs the channel's oldest events; true to go on with the same channel.
    static bool Advance(uint32_t channelId, PumpLevel& level)
    {
        CxEventChannel* channel = FindChannel(channelId);
        if (!channel || channel->events.IsEmpty()) return false;
        CxEvent* event = channel->events.GetHead()->value;
        if (BusyLevelOf(event) || event->IsPaused()) return false;   // a nested pump leaves it alone

        level = PumpLevel{level.current, level.nextChannel, event, false, false};
        if (!event->IsStarted()) event->Start();
        bool done = !level.busyDeleted && !level.busyFlushed && event->IsDone();
        if (level.busyDeleted || level.busyFlushed) return Abandon(level);
        if (!done) {
            level.busy = nullptr;
            return false;
        }

        uint32_t flags = event->flags_;
        event->OnDone();
        if (!level.busyDeleted) TellListeners(channelId, event);
        if (level.busyDeleted) {
            level.busy = nullptr;
            return (flags & EVENT_RUN_NEXT_NOW) != 0;
        }
        level.busy = nullptr;

        channel = FindChannel(channelId);
        if (channel && !channel->events.IsEmpty() && channel->events.GetHead()->value == event)
            channel->events.RemoveHead();
        if (!channel || !channel->events.Find(event)) event->channel_ = 0;
        Finish(event);
        return (flags & EVENT_RUN_NEXT_NOW) != 0;
    }

    // The event was flushed or deleted while it was being called.
    static bool Abandon(PumpLevel& level)
    {
        CxEvent* event = level.busy;
        bool flushed = level.busyFlushed && !level.busyDeleted;
        level.busy = nullptr;
        if (flushed) Finish(event);
        return false;
    }

    static void TellListeners(uint32_t channelId, CxEvent* event)
    {
        if (!gListeners) return;
        int depth = gDepth - 1;
        for (auto* node = gListeners->GetHead(); node;) {
            gListenerWalkNext[depth] = node->next;
            CxEventListener* listener = node->value;
            if (listener->IsListeningTo(channelId) && listener->OnEvent(channelId, event)) break;
            if (!gListeners || gLevels[depth].busyDeleted) break;
            node = gListenerWalkNext[depth];
        }
        gListenerWalkNext[depth] = nullptr;
    }
};

void CxEvent::Pump()
{
    if (gDepth == kMaxDepth) return;
    PumpLevel& level = gLevels[gDepth++];
    level = PumpLevel{};
    // The next channel is read after the current one ran: a channel that its
    // events activated (a sequence's private channel) joins this very pass.
    for (ChannelNode* node = gActive.GetHead(); node;) {
        level.current = node;
        uint32_t id = node->value->id;
        while (CxEventPump::Advance(id, level)) {}
        node = level.current ? level.current->next : level.nextChannel;
    }
    --gDepth;
    if (gDepth > 0) return;   // only the outermost pass tidies the lists
    for (ChannelNode* node = gActive.GetHead(); node;) {
        ChannelNode* next = node->next;
        if (node->value->events.IsEmpty()) gIdle.AddTail(gActive.RemoveAt(node));
        node = next;
    }
}

// ------------------------------------------------------------- listeners
CxEventListener::CxEventListener(uint32_t priority) : priority_(priority)
{
    if (!gListeners) {
        gListeners = new CxLinkedList<CxEventListener*>;
        if (CxAppServices* app = CxAppServices::Get()) app->AddIdleFunction(CxEvent::Pump);
    }
    if (priority == LISTENER_LAST) {
        gListeners->AddTail(this);
    } else if (priority == LISTENER_FIRST) {
        gListeners->AddHead(this);
    } else {
        auto* before = gListeners->GetHead();
        while (before && before->value->priority_ >= priority) before = before->next;
        gListeners->InsertBefore(before, this);
    }
}

CxEventListener::~CxEventListener()
{
    if (!gListeners) return;
    if (auto* node = gListeners->Find(this)) {
        for (int i = 0; i < kMaxDepth; ++i)
            if (gListenerWalkNext[i] == node) gListenerWalkNext[i] = node->next;
        gListeners->RemoveAt(node);
    }
    if (gListeners->IsEmpty()) {
        if (CxAppServices* app = CxAppServices::Get()) app->RemoveIdleFunction(CxEvent::Pump);
        delete gListeners;
        gListeners = nullptr;
    }
}

void CxEventListener::ListenTo(uint32_t channelId)
{
    if (!channels_.Find(channelId)) channels_.AddTail(channelId);
}

void CxEventListener::StopListening(uint32_t channelId) { channels_.Remove(channelId); }

int CxEventListener::ListenerCount() { return gListeners ? gListeners->GetCount() : 0; }

// ------------------------------------------------------------- creators
namespace {
struct CreatorDefinition : public CxObject {
    uint32_t reserved = 0;
    char name[32] = {};
    CxEventCreator* creator = nullptr;
};
CxLinkedList<CreatorDefinition*>* gCreators = nullptr;

CreatorDefinition* FindDefinition(const char* name)
{
    if (!gCreators || !name) return nullptr;
    for (auto* node = gCreators->GetHead(); node; node = node->next)
        if (TextEquals(node->value->name, name, true)) return node->value;
    return nullptr;
}
}  // namespace

int RegisterEventCreator(const char* name, CxEventCreator* creator)
{
    if (!name) return ERR_INVALID_ARGUMENT;
    char cut[32];
    CopyText(cut, name, sizeof cut);
    if (CreatorDefinition* existing = FindDefinition(cut)) {
        existing->creator = creator;
        return 0;
    }
    if (!gCreators) gCreators = new CxLinkedList<CreatorDefinition*>;
    auto* definition = new CreatorDefinition;
    CopyText(definition->name, cut, sizeof definition->name);
    definition->creator = creator;
    gCreators->AddTail(definition);
    return 0;
}

void UnregisterEventCreators(const char* pattern)
{
    if (!gCreators || !pattern) return;
    for (auto* node = gCreators->GetHead(); node;) {
        auto* next = node->next;
        if (MatchWildcards(pattern, node->value->name)) delete gCreators->RemoveAt(node);
        node = next;
    }
    if (gCreators->IsEmpty()) {
        delete gCreators;
        gCreators = nullptr;
    }
}

CxEventCreator* FindEventCreator(const char* name)
{
    CreatorDefinition* definition = FindDefinition(name);
    return definition ? definition->creator : nullptr;
}

CxEvent* CreateEventFromText(const char* text, const CxInterpolator* variables, CxEventCreator* creator)
{
    if (!text) return nullptr;
    CxString expanded = variables ? variables->Expand(text) : CxString(text);
    const char* all = expanded.Text();
    const char* dot = std::strchr(all, '.');
    if (!dot) return nullptr;
    const char* open = std::strchr(dot + 1, '(');
    if (!open) return nullptr;
    CxString creatorName, kind;
    creatorName.Append(all, int(dot - all));
    kind.Append(dot + 1, int(open - dot - 1));

    CxLinkedList<CxString> arguments;
    const char* rest = open + 1;
    for (const char* comma = std::strchr(rest, ','); comma; comma = std::strchr(rest, ',')) {
        CxString argument;
        argument.Append(rest, int(comma - rest));
        arguments.AddTail(argument);
        rest = comma + 1;
    }
    if (const char* close = std::strchr(rest, ')'); close && close > rest) {
        CxString last;
        last.Append(rest, int(close - rest));
        arguments.AddTail(last);
    }

    if (creator)
        if (CxEvent* event = creator->CreateEvent(creatorName, kind, arguments)) return event;
    CreatorDefinition* definition = FindDefinition(creatorName);
    if (!definition || !definition->creator) return nullptr;
    CxEvent* event = definition->creator->CreateEvent(creatorName, kind, arguments);
    if (!event) ReportError(ERR_UNKNOWN, "Event Create Procedure returned NULL");
    return event;
}
