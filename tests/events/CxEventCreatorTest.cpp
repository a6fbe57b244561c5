#include "EventTestSupport.h"
#include "../core/ErrorCapture.h"
#include "events/CSystemEventCreator.h"
#include "events/CxEventKinds.h"

namespace {
struct RecordingCreator : CxEventCreator {
    std::vector<std::string> arguments;
    std::string kind;
    bool refuse = false;
    CxEvent* CreateEvent(const char*, const char* k, CxLinkedList<CxString>& args) override
    {
        kind = k;
        arguments.clear();
        for (auto* n = args.GetHead(); n; n = n->next) arguments.push_back(n->value.Text());
        return refuse ? nullptr : new CInfoEvent(int32_t(arguments.size()));
    }
};

struct RecordingHandler : CCommandHandler {
    std::vector<std::string> calls;
    int OnCommand(const char* command, CxLinkedList<CxString>& arguments) override
    {
        std::string call = command;
        for (auto* n = arguments.GetHead(); n; n = n->next) call += std::string("|") + n->value.Text();
        calls.push_back(call);
        return 0;
    }
};
}  // namespace

TEST_F(EventTest, EventTextIsSplitVerbatim)
{
    RecordingCreator creator;
    RegisterEventCreator("Test", &creator);
    delete CreateEventFromText("test.Kind(a, b,c)", nullptr, nullptr);
    EXPECT_EQ(creator.kind, "Kind");
    EXPECT_EQ(creator.arguments, (std::vector<std::string>{"a", " b", "c"}));
    delete CreateEventFromText("Test.Kind()", nullptr, nullptr);
    EXPECT_TRUE(creator.arguments.empty());
    delete CreateEventFromText("Test.Kind(a,b", nullptr, nullptr);   // no ")": the last piece is dropped
    EXPECT_EQ(creator.arguments, (std::vector<std::string>{"a"}));
    EXPECT_EQ(CreateEventFromText("Test Kind(a)", nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateEventFromText("Test.Kind", nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateEventFromText("Nobody.Kind(a)", nullptr, nullptr), nullptr);

    CxInterpolator vars;
    vars.SetVariable("who", "Test");
    delete CreateEventFromText("$who.Kind($who)", &vars, nullptr);
    EXPECT_EQ(creator.arguments, (std::vector<std::string>{"Test"}));
    UnregisterEventCreators("T*");
    EXPECT_EQ(FindEventCreator("Test"), nullptr);
}

TEST_F(EventTest, CreatorsAreReplacedAndRefusalsReported)
{
    ErrorCapture capture;
    RecordingCreator first, second, explicitOne;
    RegisterEventCreator("Maker", &first);
    RegisterEventCreator("MAKER", &second);
    EXPECT_EQ(FindEventCreator("maker"), &second);

    explicitOne.refuse = true;   // refuses: the registry is asked next
    CxEvent* event = CreateEventFromText("Maker.K(1)", nullptr, &explicitOne);
    EXPECT_NE(event, nullptr);
    EXPECT_EQ(second.kind, "K");
    delete event;

    second.refuse = true;
    EXPECT_EQ(CreateEventFromText("Maker.K(1)", nullptr, nullptr), nullptr);
    ASSERT_EQ(capture.Reports().size(), 1u);
    EXPECT_EQ(capture.Reports()[0].code, ERR_UNKNOWN);
    EXPECT_EQ(capture.Reports()[0].message, "Event Create Procedure returned NULL");
    UnregisterEventCreators("*");
}

TEST_F(EventTest, SystemKinds)
{
    RecordingHandler handler;
    CSystemEventCreator system(&handler);
    RegisterEventCreator("system", &system);
    RecordingListener listener;
    uint32_t a = NewChannel(), waited = NewChannel();
    listener.ListenTo(a);

    auto post = [a](const char* text) {
        CxEvent* event = CreateEventFromText(text, nullptr, nullptr);
        if (event) {
            event->SetFlags(EVENT_AUTO_DELETE);
            event->Post(a);
        }
        return event != nullptr;
    };
    EXPECT_FALSE(post("system.Notify(5,6)"));
    EXPECT_TRUE(post("system.Notify(5)"));
    std::string wait = "system.WaitForChannel(" + std::to_string(waited) + ")";
    EXPECT_TRUE(post(wait.c_str()));        // an empty channel: done in the pass it starts
    EXPECT_TRUE(post("system.GotoRoom(House, 2)"));
    EXPECT_FALSE(post("other.Notify(1)"));
    Pass();
    Pass();
    Pass();
    ASSERT_EQ(listener.heard.size(), 3u);
    EXPECT_EQ(listener.heard[0].info, 5);
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"GotoRoom|House| 2"}));

    EXPECT_TRUE(post("system.Sleep(0)"));   // never ends by itself
    Pass(100000);
    Pass(100000);
    EXPECT_EQ(listener.heard.size(), 3u);
    CxEvent::FlushChannel(a);

    EXPECT_TRUE(post("system.Sleep(100)"));
    Pass();
    Pass(99);
    EXPECT_EQ(listener.heard.size(), 3u);
    Pass(1);
    EXPECT_EQ(listener.heard.size(), 4u);

    for (int i = 0; i < 20; ++i) {
        CxEvent* event = CreateEventFromText("system.SleepRandomRange(10,12)", nullptr, nullptr);
        ASSERT_NE(event, nullptr);
        uint32_t duration = static_cast<CTimerEvent*>(event)->GetDuration();
        EXPECT_TRUE(duration >= 10 && duration <= 12) << duration;
        delete event;
    }
    UnregisterEventCreators("system");
}

TEST_F(EventTest, SoundKindsTakeTheirFlagsFromTheName)
{
    CSystemEventCreator system;
    CxLinkedList<CxString> arguments;
    arguments.AddTail(CxString("3"));
    EXPECT_EQ(system.CreateEvent("system", "PlaySound", arguments), nullptr);   // no file
    arguments.AddTail(CxString("meow.wav"));
    auto* event = static_cast<CSoundEvent*>(system.CreateEvent("system", "StartThisSound", arguments));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->GetSoundFlags(), uint32_t(SOUND_EVENT_FLUSH_CHANNEL | SOUND_EVENT_NO_WAIT));
    EXPECT_EQ(event->GetSoundChannel(), 3);
    EXPECT_STREQ(event->GetFile(), "meow.wav");
    delete event;
    event = static_cast<CSoundEvent*>(system.CreateEvent("system", "playsoundifchannelempty", arguments));
    EXPECT_EQ(event->GetSoundFlags(), uint32_t(SOUND_EVENT_IF_CHANNEL_EMPTY));
    delete event;
}

TEST_F(EventTest, DynamicEventsReadVariablesWhenTheyStart)
{
    RecordingCreator creator;
    RegisterEventCreator("Test", &creator);
    CxInterpolator vars;
    vars.SetVariable("v", "early");
    auto* event = new CxDynamicEvent("Test.Say($v)", &vars, nullptr);
    event->SetFlags(EVENT_AUTO_DELETE);
    uint32_t a = NewChannel();
    event->Post(a);
    vars.SetVariable("v", "late");
    Pass();
    EXPECT_EQ(creator.arguments, (std::vector<std::string>{"late"}));
    EXPECT_TRUE(CxEvent::IsChannelEmpty(a));
    UnregisterEventCreators("Test");
}
