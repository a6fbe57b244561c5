// Events on channels.
//
// A channel is a first-in-first-out queue of events of which only the oldest
// runs; the next starts when it is done, so a channel is a sequence, and
// channels run side by side.  Once per main-loop pass the pump advances every
// active channel: it starts the oldest event, and when that is done calls its
// OnDone, tells the listeners of the channel, and deletes it (AutoDelete) or
// releases it.  A channel with nothing posted since it was last emptied sits
// in the idle list; posting moves it to the tail of the active list.
//
// Channel IDs are handles, never addresses: a stale ID names nothing, and 0
// is never a channel.  An event may flush or destroy its own channel from its
// Start, IsDone or OnDone, or from a listener: the pump finishes with that
// event once the call returns and goes on with the next channel.
//
// Events are also made from text, "Creator.Kind(arg, arg)", through a registry
// of named creators.
#pragma once
#include "core/CxError.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <cstdint>

class CxInterpolator;

enum CxEventFlags : uint32_t {
    EVENT_AUTO_DELETE = 1,
    EVENT_RUN_NEXT_NOW = 2,
};

struct CxEventChannel;

class CxEvent : public CxObject {
public:
    CxEvent() = default;
    CxEvent(const CxEvent&) = delete;
    CxEvent& operator=(const CxEvent&) = delete;

    // Virtual operations in slot order.
    ~CxEvent() override;
    virtual void Release() {}
    virtual void Start() = 0;
    virtual bool IsStarted() = 0;
    virtual void Stop() = 0;
    virtual bool IsDone() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual bool IsPaused() = 0;
    virtual void OnDone() {}
    virtual bool IsRunning() { return IsStarted() && !IsDone(); }
    virtual int  Post(uint32_t channelId);
    virtual void RemoveFromChannel();

    uint32_t GetChannel() const { return channel_; }
    uint32_t GetFlags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    int32_t GetInfo() const { return info_; }
    void SetInfo(int32_t info) { info_ = info; }

    // Channel operations; each returns an error code unless stated.
    static int  CreateChannel(uint32_t* channelId);
    static int  DestroyChannel(uint32_t channelId);
    static int  FlushChannel(uint32_t channelId);
    static bool IsChannelEmpty(uint32_t channelId);
    static bool IsChannelPaused(uint32_t channelId);
    static void PauseChannel(uint32_t channelId);
    static void ResumeChannel(uint32_t channelId);
    static bool ChannelExists(uint32_t channelId);
    static int  ChannelCount();
    // Flushes and destroys every channel: at the end of a cycle the channels
    // that scripts made have no owner left.
    static void DestroyAllChannels();
    // Whether any channel still holds an event.
    static bool AnyChannelBusy();

    // One pass of the pump; the listener list registers it with the
    // application as an idle function.
    static void Pump();

protected:
    int32_t info_ = 0;

private:
    friend struct CxEventPump;
    uint32_t channel_ = 0;
    uint32_t flags_ = 0;
};

// Listener priorities: a higher one hears of an event earlier; listeners of
// equal priority hear in the order they were made.
enum CxListenerPriority : uint32_t {
    LISTENER_LAST = 0,                 // always after every other listener
    LISTENER_DEFAULT = 0x7FFFFFFF,
    LISTENER_FIRST = 0xFFFFFFFF,       // before every listener made so far
};

class CxEventListener {
public:
    explicit CxEventListener(uint32_t priority = LISTENER_DEFAULT);
    virtual ~CxEventListener();
    CxEventListener(const CxEventListener&) = delete;
    CxEventListener& operator=(const CxEventListener&) = delete;

    // Non-zero keeps later listeners from hearing of the event.
    virtual int OnEvent(uint32_t channelId, CxEvent* event) { return 0; }

    void ListenTo(uint32_t channelId);
    void StopListening(uint32_t channelId);
    bool IsListeningTo(uint32_t channelId) const { return channels_.Find(channelId) != nullptr; }
    uint32_t GetPriority() const { return priority_; }

    static int ListenerCount();

private:
    CxLinkedList<uint32_t> channels_;
    uint32_t priority_;
};

class CxEventCreator {
public:
    virtual ~CxEventCreator() = default;
    virtual CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) = 0;
};

int  RegisterEventCreator(const char* name, CxEventCreator* creator);
void UnregisterEventCreators(const char* pattern);
CxEventCreator* FindEventCreator(const char* name);
// Substitutes variables (when given), splits "Creator.Kind(a,b)" and asks the
// explicit creator, then the registry.  Null when nothing was made.
CxEvent* CreateEventFromText(const char* text, const CxInterpolator* variables, CxEventCreator* creator);
