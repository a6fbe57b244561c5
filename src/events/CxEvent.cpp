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

struct CreatorDefinition;

// Every channel, the nested pumps, the listeners and the event creators.
struct EventState {
    ChannelList active;
    ChannelList idle;
    uint32_t nextChannelId = 1;
    PumpLevel levels[kMaxDepth];
    int depth = 0;
    CxLinkedList<CxEventListener*>* listeners = nullptr;
    CxListNode<CxEventListener*>* listenerWalkNext[kMaxDepth] = {};
    CxLinkedList<CreatorDefinition*>* creators = nullptr;
};

// Never destroyed: the static application object's destruction still
// reaches it after every other static is gone.
EventState& Events()
{
    static auto* state = new EventState;
    return *state;
}

ChannelNode* FindNode(ChannelList& list, uint32_t id)
{
    for (auto* node = list.GetHead(); node; node = node->next)
        if (node->value->id == id) return node;
    return nullptr;
}

CxEventChannel* FindChannel(uint32_t id)
{
    if (id == 0) return nullptr;
    if (auto* node = FindNode(Events().active, id)) return node->value;
    if (auto* node = FindNode(Events().idle, id)) return node->value;
    return nullptr;
}

bool IsActive(uint32_t id) { return FindNode(Events().active, id) != nullptr; }

PumpLevel* BusyLevelOf(CxEvent* event)
{
    for (int i = 0; i < Events().depth; ++i)
        if (Events().levels[i].busy == event) return &Events().levels[i];
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
    if (auto* idle = FindNode(Events().idle, channelId)) {
        Events().idle.RemoveAt(idle);
        Events().active.AddTail(channel);
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
    auto* channel = new CxEventChannel(Events().nextChannelId++);
    if (Events().nextChannelId == 0) Events().nextChannelId = 1;   // 0 is never a channel
    Events().idle.AddTail(channel);
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
    ChannelNode* node = FindNode(Events().active, channelId);
    ChannelList* list = &Events().active;
    if (!node) {
        node = FindNode(Events().idle, channelId);
        list = &Events().idle;
    }
    if (!node) return 0;
    for (int i = 0; i < Events().depth; ++i) {
        if (Events().levels[i].current == node) {
            Events().levels[i].current = nullptr;
            Events().levels[i].nextChannel = node->next;
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
    while (!Events().active.IsEmpty()) DestroyChannel(Events().active.GetHead()->value->id);
    while (!Events().idle.IsEmpty()) DestroyChannel(Events().idle.GetHead()->value->id);
}

bool CxEvent::AnyChannelBusy()
{
    for (auto* node = Events().active.GetHead(); node; node = node->next)
        if (!node->value->events.IsEmpty()) return true;
    return false;
}

int  CxEvent::ChannelCount() { return Events().active.GetCount() + Events().idle.GetCount(); }

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
        if (!Events().listeners) return;
        int depth = Events().depth - 1;
        for (auto* node = Events().listeners->GetHead(); node;) {
            Events().listenerWalkNext[depth] = node->next;
            CxEventListener* listener = node->value;
            if (listener->IsListeningTo(channelId) && listener->OnEvent(channelId, event)) break;
            if (!Events().listeners || Events().levels[depth].busyDeleted) break;
            node = Events().listenerWalkNext[depth];
        }
        Events().listenerWalkNext[depth] = nullptr;
    }
};

void CxEvent::Pump()
{
    if (Events().depth == kMaxDepth) return;
    PumpLevel& level = Events().levels[Events().depth++];
    level = PumpLevel{};
    // The next channel is read after the current one ran: a channel that its
    // events activated (a sequence's private channel) joins this very pass.
    for (ChannelNode* node = Events().active.GetHead(); node;) {
        level.current = node;
        uint32_t id = node->value->id;
        while (CxEventPump::Advance(id, level)) {}
        node = level.current ? level.current->next : level.nextChannel;
    }
    --Events().depth;
    if (Events().depth > 0) return;   // only the outermost pass tidies the lists
    for (ChannelNode* node = Events().active.GetHead(); node;) {
        ChannelNode* next = node->next;
        if (node->value->events.IsEmpty()) Events().idle.AddTail(Events().active.RemoveAt(node));
        node = next;
    }
}

// ------------------------------------------------------------- listeners
CxEventListener::CxEventListener(uint32_t priority) : priority_(priority)
{
    if (!Events().listeners) {
        Events().listeners = new CxLinkedList<CxEventListener*>;
        if (CxAppServices* app = CxAppServices::Get()) app->AddIdleFunction(CxEvent::Pump);
    }
    if (priority == LISTENER_LAST) {
        Events().listeners->AddTail(this);
    } else if (priority == LISTENER_FIRST) {
        Events().listeners->AddHead(this);
    } else {
        auto* before = Events().listeners->GetHead();
        while (before && before->value->priority_ >= priority) before = before->next;
        Events().listeners->InsertBefore(before, this);
    }
}

CxEventListener::~CxEventListener()
{
    if (!Events().listeners) return;
    if (auto* node = Events().listeners->Find(this)) {
        for (int i = 0; i < kMaxDepth; ++i)
            if (Events().listenerWalkNext[i] == node) Events().listenerWalkNext[i] = node->next;
        Events().listeners->RemoveAt(node);
    }
    if (Events().listeners->IsEmpty()) {
        if (CxAppServices* app = CxAppServices::Get()) app->RemoveIdleFunction(CxEvent::Pump);
        delete Events().listeners;
        Events().listeners = nullptr;
    }
}

void CxEventListener::ListenTo(uint32_t channelId)
{
    if (!channels_.Find(channelId)) channels_.AddTail(channelId);
}

void CxEventListener::StopListening(uint32_t channelId) { channels_.Remove(channelId); }

int CxEventListener::ListenerCount() { return Events().listeners ? Events().listeners->GetCount() : 0; }

// ------------------------------------------------------------- creators
namespace {
struct CreatorDefinition : public CxObject {
    uint32_t reserved = 0;
    char name[32] = {};
    CxEventCreator* creator = nullptr;
};

CreatorDefinition* FindDefinition(const char* name)
{
    if (!Events().creators || !name) return nullptr;
    for (auto* node = Events().creators->GetHead(); node; node = node->next)
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
    if (!Events().creators) Events().creators = new CxLinkedList<CreatorDefinition*>;
    auto* definition = new CreatorDefinition;
    CopyText(definition->name, cut, sizeof definition->name);
    definition->creator = creator;
    Events().creators->AddTail(definition);
    return 0;
}

void UnregisterEventCreators(const char* pattern)
{
    if (!Events().creators || !pattern) return;
    for (auto* node = Events().creators->GetHead(); node;) {
        auto* next = node->next;
        if (MatchWildcards(pattern, node->value->name)) delete Events().creators->RemoveAt(node);
        node = next;
    }
    if (Events().creators->IsEmpty()) {
        delete Events().creators;
        Events().creators = nullptr;
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
