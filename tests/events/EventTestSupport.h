// A hand-driven clock and pump for event tests, and a listener that records
// what completes.
#pragma once
#include "core/CxTime.h"
#include "core/CxTimer.h"
#include "events/CxEvent.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

inline uint32_t& FakeNow()
{
    static uint32_t now = 0;
    return now;
}
inline uint32_t FakeClockSource() { return FakeNow(); }

struct Completion {
    uint32_t channel;
    int32_t info;
};

class RecordingListener : public CxEventListener {
public:
    explicit RecordingListener(uint32_t priority = LISTENER_DEFAULT, int answer = 0) : CxEventListener(priority), answer_(answer) {}
    int OnEvent(uint32_t channelId, CxEvent* event) override
    {
        heard.push_back({channelId, event->GetInfo()});
        return answer_;
    }
    std::vector<Completion> heard;

private:
    int answer_;
};

class EventTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeNow() = 5000000;
        QorSetTickSource(FakeClockSource);
    }
    void TearDown() override
    {
        for (uint32_t id : channels_) CxEvent::DestroyChannel(id);
        QorSetTickSource(nullptr);
    }
    uint32_t NewChannel()
    {
        uint32_t id = 0;
        EXPECT_EQ(CxEvent::CreateChannel(&id), 0);
        channels_.push_back(id);
        return id;
    }
    // One main-loop pass: timers, then the event pump.
    static void Pass(uint32_t advanceMs = 0)
    {
        FakeNow() += advanceMs;
        if (CxTimerManager::Get()) CxTimerManager::Get()->OnMainLoop();
        CxEvent::Pump();
    }

private:
    std::vector<uint32_t> channels_;
};
