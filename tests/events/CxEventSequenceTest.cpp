#include "EventTestSupport.h"
#include "TestSupport.h"
#include "../core/ErrorCapture.h"
#include "events/CSystemEventCreator.h"
#include "events/CxEventSequence.h"
#include "events/CxScriptEvents.h"

namespace {
std::vector<std::string> gScriptLines;
int RecordScript(const char* line)
{
    gScriptLines.push_back(line);
    return 0;
}

class SequenceTest : public EventTest {
protected:
    void SetUp() override
    {
        EventTest::SetUp();
        RegisterEventCreator("system", &system_);
        SetEventScriptRunner(RecordScript);
        gScriptLines.clear();
    }
    void TearDown() override
    {
        SetEventScriptRunner(nullptr);
        UnregisterEventCreators("system");
        EventTest::TearDown();
    }
    InTempDir dir_;
    ErrorCapture capture_;

private:
    CSystemEventCreator system_;
};

// Runs passes of `step` ms until the channel is empty; returns the time taken.
uint32_t RunUntilEmpty(uint32_t channel, uint32_t step, int maxPasses = 1000)
{
    uint32_t start = FakeNow();
    for (int i = 0; i < maxPasses && !CxEvent::IsChannelEmpty(channel); ++i) {
        FakeNow() += step;
        if (CxTimerManager::Get()) CxTimerManager::Get()->OnMainLoop();
        CxEvent::Pump();
    }
    return FakeNow() - start;
}
}  // namespace

TEST_F(SequenceTest, ThreeSleepsTakeTheirSum)
{
    WriteFileBytes("three.seq", "Event system.Sleep(100)\nEvent system.Sleep(100)\r\nEvent system.Sleep(100)\r");
    auto* sequence = new CxEventSequenceFile;
    ASSERT_EQ(sequence->Load("three.seq", nullptr), 0);
    EXPECT_EQ(sequence->Count(), 3);
    sequence->SetFlags(EVENT_AUTO_DELETE);
    uint32_t a = NewChannel();
    sequence->Post(a);
    uint32_t taken = RunUntilEmpty(a, 10);
    EXPECT_GE(taken, 300u);
    EXPECT_LE(taken, 360u);   // a pass of lateness per event at most
}

TEST_F(SequenceTest, LinesCommentsMarksAndScriptLines)
{
    WriteFileBytes("mixed.seq",
                   "# a comment\n"
                   "\n"
                   "Lua first()\n"
                   "unknown line here\n"
                   "continue Lua second(\"x y\")\n"
                   "LUA third()\n");
    CxEventSequenceFile sequence;
    ASSERT_EQ(sequence.Load("mixed.seq", nullptr), 0);
    EXPECT_EQ(sequence.Count(), 3);
    uint32_t a = NewChannel();
    sequence.Post(a);
    Pass();   // starts the sequence: "first" runs
    EXPECT_EQ(gScriptLines, (std::vector<std::string>{"first()"}));
    Pass();   // "second" runs; it carries continue, so "third" follows at once
    EXPECT_EQ(gScriptLines, (std::vector<std::string>{"first()", "second(\"x y\")", "third()"}));
}

TEST_F(SequenceTest, NestedQuotedNamesAndVariables)
{
    WriteFileBytes("inner file.seq", "Lua inner()\n");
    WriteFileBytes("room.seq", "Lua room()\n");
    WriteFileBytes("outer.seq", "Sequence \"inner file.seq\"\nSequence $ROOM.seq\nLua outer()\n");
    CxInterpolator vars;
    vars.SetVariable("ROOM", "room");
    CxEventSequenceFile sequence;
    ASSERT_EQ(sequence.Load("outer.seq", &vars), 0);
    uint32_t a = NewChannel();
    sequence.Post(a);
    RunUntilEmpty(a, 1);
    EXPECT_EQ(gScriptLines, (std::vector<std::string>{"inner()", "room()", "outer()"}));
}

TEST_F(SequenceTest, ASequenceThatIncludesItselfStops)
{
    WriteFileBytes("self.seq", "Lua again()\nSequence self.seq\n");
    CxEventSequenceFile sequence;
    EXPECT_NE(sequence.Load("self.seq", nullptr), 0);
    uint32_t a = NewChannel();
    sequence.Post(a);
    RunUntilEmpty(a, 1, 10000);
    EXPECT_EQ(gScriptLines.size(), 16u);
}

TEST_F(SequenceTest, PlaysAgainAndStopsWhenItsChannelIsFlushed)
{
    WriteFileBytes("two.seq", "Lua one()\nEvent system.Sleep(50)\nLua two()\n");
    CxEventSequenceFile sequence;
    ASSERT_EQ(sequence.Load("two.seq", nullptr), 0);
    uint32_t a = NewChannel();
    sequence.Post(a);
    RunUntilEmpty(a, 10);
    sequence.Post(a);
    RunUntilEmpty(a, 10);
    EXPECT_EQ(gScriptLines, (std::vector<std::string>{"one()", "two()", "one()", "two()"}));

    gScriptLines.clear();
    sequence.Post(a);
    Pass();
    Pass();       // sleeping now
    CxEvent::FlushChannel(a);
    EXPECT_TRUE(CxEvent::IsChannelEmpty(sequence.GetPrivateChannel()));
    RunUntilEmpty(a, 100, 5);
    EXPECT_EQ(gScriptLines, (std::vector<std::string>{"one()"}));
}

TEST_F(SequenceTest, BadFilesAndRaggedLines)
{
    CxEventSequenceFile sequence;
    EXPECT_EQ(sequence.Load("missing.seq", nullptr), ERR_OPEN_FILE);
    EXPECT_EQ(capture_.Reports().size(), 1u);

    WriteFileBytes("ragged.seq", std::string("Event system.Sleep(5\nSequence \"unterminated\0", 45));
    EXPECT_NE(sequence.Load("ragged.seq", nullptr), 0);   // the nested file is missing
    EXPECT_EQ(sequence.Count(), 1);

    char text[] = "Event system.Notify(1)";
    EXPECT_EQ(sequence.Parse(text, sizeof text - 1, nullptr, 0), 0);
    EXPECT_EQ(sequence.Count(), 2);
}

TEST_F(SequenceTest, TimedScriptEventsRepeatUntilTheirDuration)
{
    auto* event = new CxLuaTimerEvent(250, 100, "tick()");
    event->SetFlags(ScriptEventFlags(false));
    uint32_t a = NewChannel();
    event->Post(a);
    RunUntilEmpty(a, 50);
    EXPECT_EQ(gScriptLines.size(), 2u);   // the first frame after the start, and 100 ms later

    SetEventScriptRunner(nullptr);
    CxLuaEvent orphan("nobody()");
    orphan.Start();
    EXPECT_TRUE(orphan.IsDone());
    EXPECT_EQ(capture_.Reports().back().code, ERR_SCRIPTING);
}
