#include "EventTestSupport.h"
#include "../core/ErrorCapture.h"
#include "events/CxEventKinds.h"

#include <functional>

namespace {
// An event whose start and completion the test controls.
class ProbeEvent : public CInfoEvent {
public:
    explicit ProbeEvent(int32_t info, std::vector<std::string>* log = nullptr) : CInfoEvent(info), log_(log) {}
    void Start() override
    {
        CInfoEvent::Start();
        if (log_) log_->push_back("start " + std::to_string(info_));
        if (onStart) onStart();
    }
    bool IsDone() override { return finished; }
    void Stop() override { stopped = true; }
    void OnDone() override { if (onDone) onDone(); }
    bool finished = true;
    bool stopped = false;
    std::function<void()> onStart, onDone;

private:
    std::vector<std::string>* log_;
};

ProbeEvent* AutoProbe(int32_t info, std::vector<std::string>* log = nullptr, uint32_t flags = EVENT_AUTO_DELETE)
{
    auto* event = new ProbeEvent(info, log);
    event->SetFlags(flags);
    return event;
}
}  // namespace

TEST_F(EventTest, OneChannelIsASequenceAndChannelsRunSideBySide)
{
    RecordingListener listener;
    uint32_t a = NewChannel(), b = NewChannel();
    listener.ListenTo(a);
    listener.ListenTo(b);
    std::vector<std::string> log;
    AutoProbe(1, &log)->Post(a);
    AutoProbe(2, &log)->Post(a);
    AutoProbe(3, &log)->Post(b);
    Pass();
    EXPECT_EQ(log, (std::vector<std::string>{"start 1", "start 3"}));
    Pass();
    EXPECT_EQ(log.back(), "start 2");
    ASSERT_EQ(listener.heard.size(), 3u);
    EXPECT_EQ(listener.heard[2].info, 2);
    EXPECT_TRUE(CxEvent::IsChannelEmpty(a));
}

TEST_F(EventTest, RunNextNowChainsEventsInOnePass)
{
    RecordingListener listener;
    uint32_t a = NewChannel();
    listener.ListenTo(a);
    AutoProbe(1, nullptr, EVENT_AUTO_DELETE | EVENT_RUN_NEXT_NOW)->Post(a);
    AutoProbe(2, nullptr, EVENT_AUTO_DELETE | EVENT_RUN_NEXT_NOW)->Post(a);
    AutoProbe(3)->Post(a);
    AutoProbe(4)->Post(a);
    Pass();
    EXPECT_EQ(listener.heard.size(), 3u);
    Pass();
    EXPECT_EQ(listener.heard.size(), 4u);
}

TEST_F(EventTest, ReactivatedChannelsJoinTheTailOfTheActiveList)
{
    RecordingListener listener;
    uint32_t a = NewChannel(), b = NewChannel();
    listener.ListenTo(a);
    listener.ListenTo(b);
    AutoProbe(1)->Post(a);
    Pass();                                  // a runs empty and goes idle
    auto* slow = AutoProbe(2);
    slow->finished = false;
    slow->Post(b);
    Pass();                                  // b active, still running
    AutoProbe(3)->Post(a);                   // a again, behind b
    slow->finished = true;
    Pass();
    ASSERT_EQ(listener.heard.size(), 3u);
    EXPECT_EQ(listener.heard[1].channel, b);
    EXPECT_EQ(listener.heard[2].channel, a);
}

TEST_F(EventTest, ListenersByPriorityAndTheFirstToAnswerStopsTheRest)
{
    uint32_t a = NewChannel(), other = NewChannel();
    RecordingListener low(1), high(100, 1), deaf(LISTENER_DEFAULT);
    low.ListenTo(a);
    high.ListenTo(a);
    deaf.ListenTo(other);
    AutoProbe(7)->Post(a);
    Pass();
    EXPECT_EQ(high.heard.size(), 1u);
    EXPECT_TRUE(low.heard.empty());         // hidden by the higher listener's answer
    EXPECT_TRUE(deaf.heard.empty());

    high.StopListening(a);
    AutoProbe(8)->Post(a);
    Pass();
    ASSERT_EQ(low.heard.size(), 1u);
    EXPECT_EQ(low.heard[0].info, 8);
}

// LISTENER_FIRST goes before every listener made so far, even a later one of
// a high number; LISTENER_LAST after every other, also those made later.
TEST_F(EventTest, FirstAndLastListenersKeepTheirEnds)
{
    uint32_t a = NewChannel();
    RecordingListener last(LISTENER_LAST, 1), middle(LISTENER_DEFAULT, 1), first(LISTENER_FIRST, 1);
    RecordingListener high(0xFFFFFFF0u, 1);
    for (RecordingListener* l : {&last, &middle, &first, &high}) l->ListenTo(a);
    AutoProbe(1)->Post(a);
    Pass();
    EXPECT_EQ(first.heard.size(), 1u);
    first.StopListening(a);
    AutoProbe(2)->Post(a);
    Pass();
    EXPECT_EQ(high.heard.size(), 1u);
    high.StopListening(a);
    middle.StopListening(a);
    AutoProbe(3)->Post(a);
    Pass();
    EXPECT_EQ(last.heard.size(), 1u);
    EXPECT_TRUE(middle.heard.empty());
}

TEST_F(EventTest, PausedChannelsWaitForEveryResume)
{
    RecordingListener listener;
    uint32_t a = NewChannel();
    listener.ListenTo(a);
    auto* sleep = new CTimerEvent(100);
    sleep->SetFlags(EVENT_AUTO_DELETE);
    sleep->Post(a);
    Pass();
    CxEvent::PauseChannel(a);
    CxEvent::PauseChannel(a);
    EXPECT_TRUE(CxEvent::IsChannelPaused(a));
    Pass(500);
    CxEvent::ResumeChannel(a);
    Pass(10);
    EXPECT_TRUE(listener.heard.empty());
    CxEvent::ResumeChannel(a);              // 100 ms left from here
    Pass(99);
    EXPECT_TRUE(listener.heard.empty());
    Pass(1);
    EXPECT_EQ(listener.heard.size(), 1u);
}

TEST_F(EventTest, FlushAndDestroyStopTheRunningEventWithoutListeners)
{
    RecordingListener listener;
    uint32_t a = NewChannel();
    listener.ListenTo(a);
    EXPECT_EQ(CxEvent::FlushChannel(a), 0);  // idle: nothing to do
    auto* kept = new ProbeEvent(1);          // not AutoDelete: released, still ours
    kept->finished = false;
    kept->Post(a);
    AutoProbe(2)->Post(a);
    Pass();
    CxEvent::FlushChannel(a);
    EXPECT_TRUE(kept->stopped);
    EXPECT_EQ(kept->GetChannel(), 0u);
    EXPECT_TRUE(CxEvent::IsChannelEmpty(a));
    EXPECT_TRUE(listener.heard.empty());

    uint32_t b = 0;
    CxEvent::CreateChannel(&b);
    kept->stopped = false;
    kept->Release();
    kept->Post(b);
    Pass();
    CxEvent::DestroyChannel(b);
    EXPECT_TRUE(kept->stopped);
    EXPECT_FALSE(CxEvent::ChannelExists(b));
    EXPECT_TRUE(CxEvent::IsChannelEmpty(b));
    delete kept;
}

TEST_F(EventTest, InvalidChannelIdsAreReported)
{
    ErrorCapture capture;
    EXPECT_TRUE(CxEvent::IsChannelEmpty(0));
    EXPECT_FALSE(CxEvent::IsChannelPaused(0));
    EXPECT_EQ(CxEvent::FlushChannel(0), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(CxEvent::DestroyChannel(0), ERR_INVALID_ARGUMENT);
    ProbeEvent event(1);
    EXPECT_EQ(event.Post(0), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(capture.Reports().size(), 3u);
    EXPECT_EQ(capture.Reports()[0].message, "CxEvent::FlushChannel(nChannelID) - nChannelID is not a valid event channel");
    EXPECT_EQ(capture.Reports()[2].message, "CxEvent::Post(nChannelID) - nChannelID is not a valid event channel");
}

TEST_F(EventTest, AnEventMayFlushOrDestroyItsOwnChannel)
{
    RecordingListener listener;
    uint32_t a = NewChannel();
    listener.ListenTo(a);
    auto* flusher = AutoProbe(1);
    flusher->finished = false;
    flusher->onStart = [a] { CxEvent::FlushChannel(a); };
    flusher->Post(a);
    AutoProbe(2)->Post(a);
    Pass();
    Pass();
    EXPECT_TRUE(listener.heard.empty());

    uint32_t b = 0;
    CxEvent::CreateChannel(&b);
    listener.ListenTo(b);
    auto* destroyer = AutoProbe(3, nullptr, EVENT_AUTO_DELETE | EVENT_RUN_NEXT_NOW);
    destroyer->onDone = [b] { CxEvent::DestroyChannel(b); };
    destroyer->Post(b);
    AutoProbe(4)->Post(b);
    Pass();
    EXPECT_FALSE(CxEvent::ChannelExists(b));
    ASSERT_EQ(listener.heard.size(), 1u);    // the completed event is still heard of
}

TEST_F(EventTest, AListenerMayDeleteTheListenerAfterIt)
{
    uint32_t a = NewChannel();
    auto* second = new RecordingListener(10);
    struct Deleter : CxEventListener {
        Deleter() : CxEventListener(20) {}
        RecordingListener* victim = nullptr;
        int OnEvent(uint32_t, CxEvent*) override { delete victim; victim = nullptr; return 0; }
    } first;
    first.ListenTo(a);
    second->ListenTo(a);
    first.victim = second;
    AutoProbe(1)->Post(a);
    Pass();
    EXPECT_EQ(CxEventListener::ListenerCount(), 1);
}

TEST(EventChannels, DestroyingEveryChannelFinishesTheirEvents)
{
    uint32_t a = 0, b = 0;
    CxEvent::CreateChannel(&a);
    CxEvent::CreateChannel(&b);
    AutoProbe(1)->Post(a);       // deleted with its channel
    ProbeEvent kept(2);
    kept.Post(b);
    CxEvent::DestroyAllChannels();
    EXPECT_EQ(CxEvent::ChannelCount(), 0);
    EXPECT_EQ(kept.GetChannel(), 0u);
}
