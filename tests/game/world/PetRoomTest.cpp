// The pet rooms driven with synthetic mouse input: the press thresholds and
// push directions, petting that slides from part to part, clickable objects
// per house room, treats, throws, the house's tick and cursors, quoting of
// every pasted name, and toys that the script collector frees under the
// room's feet.
//
// The pet's body is a map of screen bands (the real picking through the
// model is covered by the pet's own tests and by PetRoomPicking below):
// x in [100, 300) is "Head", [300, 500) "Back", everything else floor.
#include "../../framework/RoomTestSupport.h"
#include "display/CxCommonMessageBox.h"
#include "display/CxCursor.h"
#include "framework/CKelButton.h"
#include "game/world/C3DPhysicsObject.h"
#include "game/world/CHouse.h"
#include "game/world/CMenuDialog.h"
#include "game/world/CPet.h"
#include "game/world/CxModelManager.h"
#include "graphics/QorImageFilters.h"
#include "script/CxScriptText.h"

#include <lua.hpp>

#include <cmath>
#include <set>

namespace {
class BandedHouse : public CHouse {
public:
    std::set<std::string> hitNames;   // objects the ray "hits" anywhere
    CxString headName = "Head";

protected:
    CxString BodyPartAt(CxPoint p) override
    {
        if (p.x >= 100 && p.x < 300) return headName;
        if (p.x >= 300 && p.x < 500) return "Back";
        return "";
    }
    bool PetHitAt(CPet&, CxPoint p) override { return !BodyPartAt(p).IsEmpty(); }
    bool ObjectHitAt(Cx3DObject& object, CxPoint p) override { return p.x >= 600 && hitNames.count(object.GetName()); }
};

constexpr const char* kRecorder =
    "log = {}\n"
    "local function note(...) local t = {} for i, v in ipairs({...}) do t[i] = tostring(v) end "
    "log[#log + 1] = table.concat(t, ':') end\n"
    "function Room.OnPokePet(p) note('poke', p) end\n"
    "function Room.OnPushPet(p, d) note('push', p, d) end\n"
    "function Room.OnStartPetting(p, c) note('start', p, c) end\n"
    "function Room.OnEndPetting(p, ms, c) note('end', p, c) last_ms = ms end\n"
    "function Room.OnClickedObject(n, isPet) if isPet then pet_clicks[#pet_clicks + 1] = n "
    "else note('click', n, isPet) end end\n"
    "function Room.OnGrabToy() note('grab') end\n"
    "function Room.OnUnGrabToy() note('ungrab') end\n"
    "function Room.TreatPet() note('treat') end\n"
    "function Room.PutTreatBack() note('back') end\n"
    "function Room.OnMouseMove(x, y) moves = (moves or 0) + 1 end\n"
    "function Room.OnTick(ms) ticks[#ticks + 1] = ms end\n";

class PetRoom : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        RegisterPetScript(engine);
        RegisterPhysicsScriptClass(engine);
        engine.RunString("ticks = {} pet_clicks = {}\n"
                         "globals = { TOY_DRAG_Z_DISTANCE = 10,"
                         " camera = { field_of_view = 60, near_clip = 0.1, far_clip = 100 } }\n"
                         "PetAI = { PET_STATES = { ATTENTION_MODE = 1, BATHTUB_MODE = 2, BRUSHING_MODE = 3, SLEEP = 4 },"
                         " CUR_STATE = 1 }\n"
                         "physics = { scale_initial_velocity = { x = 1000, y = 1000, z = 500 },"
                         " min_z_initial_velocity = 2, max_initial_velocity = 30, gravity = 0 }");
        Write("House/House.lua", kRecorder);
        house = AddRoom<BandedHouse>("House");
        house->SetRoomSize(800, 600);
        cat.SetName("House Cat");
        SetRegisteredPet(&cat);
        Enter("House");
        ASSERT_EQ(rooms.GetCurrentRoom(), house);
        CxCamera& camera = house->GetCamera();
        camera.eye[2] = -10;
        camera.valid = 1;
        engine.RunString("log = {}");
    }
    void TearDown() override
    {
        SetRegisteredPet(nullptr);
        RoomTest::TearDown();
    }
    // One pass of the main loop after `ms`: every hook (timers, the rooms'
    // pass hook), the events, then the frame.
    void Loop(uint32_t ms = 0)
    {
        RoomTestNow() += ms;
        CxMainLoopHook::RunHooks();
        CxEvent::Pump();
        rooms.FrameStep();
    }
    void Down(int x, int y) { house->OnLButtonDown(1, CxPoint{x, y}); }
    void Move(int x, int y) { house->OnMouseMove(1, CxPoint{x, y}); }
    void Up(int x, int y) { house->OnLButtonUp(0, CxPoint{x, y}); }
    void Click(int x, int y, int dx, int dy)
    {
        Down(x, y);
        Up(x + dx, y + dy);
    }
    C3DPhysicsObject* ScriptToy(const char* name)
    {
        engine.RunString(CxString::FormatNew("toy = C3DPhysicsObject:new() toy:SetName(%s)", ScriptQuote(name).Text()));
        lua_State* L = engine.GetState();
        lua_getglobal(L, "toy");
        C3DPhysicsObject* toy = CheckPhysicsObject(L, lua_gettop(L));
        lua_pop(L, 1);
        return toy;
    }

    CPet cat;
    BandedHouse* house = nullptr;
};
}  // namespace

TEST_F(PetRoom, ReleasesPokeAtThreePixelsDoNothingAtTwelveAndPushAtTwentyFive)
{
    Click(200, 200, 3, 0);
    EXPECT_EQ(Log(), "poke:Head");
    EXPECT_EQ(engine.EvalString("pet_clicks[1]", "none"), "House Cat") << "the pet is clicked as well";
    EXPECT_EQ(house->GetInteractionState(), CPetRoom::STATE_IDLE) << "every release ends idle";
    ClearLog();
    Click(200, 200, 0, 12);
    EXPECT_EQ(Log(), "");
    Click(200, 200, 25, 0);
    EXPECT_EQ(Log(), "push:Head:1");
    ClearLog();
    // A press that moved out and back still counts the farthest point.
    Down(200, 200);
    Move(200, 230);
    Up(200, 202);
    EXPECT_EQ(Log(), "push:Head:2");
    ClearLog();
    // A poke needs the same part under the release: 3 px across the band edge is not one.
    Click(298, 200, 3, 0);
    EXPECT_EQ(Log(), "");
    // Outside attention, bathtub and brushing modes the pet is not handled.
    engine.RunString("PetAI.CUR_STATE = PetAI.PET_STATES.SLEEP");
    Click(200, 200, 3, 0);
    Click(200, 200, 25, 0);
    EXPECT_EQ(Log(), "");
    engine.RunString("PetAI.CUR_STATE = PetAI.PET_STATES.BRUSHING_MODE");
    Click(200, 200, 0, -30);
    EXPECT_EQ(Log(), "push:Head:0");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST(PetRoomPush, DirectionsCountCounterClockwiseFromScreenUp)
{
    const CxPoint o{100, 100};
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{100, 50}), 0);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{150, 100}), 1);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{100, 150}), 2);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{50, 100}), 3);
    // The diagonals: [pi/4, 3pi/4) is left, [5pi/4, 7pi/4) right, so up-left
    // is left, down-left down, down-right right and up-right up.
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{50, 50}), 3);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{50, 150}), 2);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{150, 150}), 1);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{150, 50}), 0);
    EXPECT_EQ(CPetRoom::PushDirection(o, CxPoint{90, 60}), 0);   // a little left of up
}

TEST_F(PetRoom, PettingStartsOnAStrokeAndSlidesFromPartToPartWhenTheTimeoutFires)
{
    Down(200, 200);
    Move(240, 200);   // out to 40
    Move(225, 200);   // back to 25: not yet under half the farthest
    EXPECT_EQ(Log(), "");
    Move(215, 200);   // 15: past the swipe and under half of 40
    EXPECT_EQ(Log(), "start:Head:false");
    EXPECT_EQ(house->GetInteractionState(), CPetRoom::STATE_PETTING);
    EXPECT_EQ(GetCursorId(), 4);
    // Stroking the same part keeps petting alive past the timeout.
    for (int i = 0; i < 4; ++i) {
        Loop(500);
        Move(220 + i, 200);
    }
    EXPECT_EQ(Log(), "start:Head:false");
    Move(350, 200);   // onto the back: the timeout is no longer renewed
    Loop(500);
    EXPECT_EQ(Log(), "start:Head:false");
    Loop(500);
    EXPECT_EQ(Log(), "start:Head:false,end:Head:true,start:Back:true");
    EXPECT_STREQ(house->GetBodyPart(), "Back");
    EXPECT_TRUE(house->IsPettingTimeoutArmed());
    Up(350, 200);
    EXPECT_EQ(Log(), "start:Head:false,end:Head:true,start:Back:true,end:Back:false");
    EXPECT_GE(engine.EvalInt("last_ms", -1), 3000);
    EXPECT_FALSE(house->IsPettingTimeoutArmed());
    EXPECT_EQ(GetCursorId(), 0);
    ClearLog();

    // Left alone on one part, the timeout ends petting there.
    Down(200, 200);
    Move(240, 200);
    Move(215, 200);
    Loop(1000);
    EXPECT_EQ(Log(), "start:Head:false,end:Head:false");
    EXPECT_EQ(house->GetInteractionState(), CPetRoom::STATE_IDLE);
    Up(215, 200);
    EXPECT_EQ(Log(), "start:Head:false,end:Head:false") << "a release after the end ends nothing more";
}

TEST_F(PetRoom, WhileScoldingTheRoomSeesMovesButNoPettingStarts)
{
    engine.RunString("Room.m_bScolding = true moves = 0");
    Down(200, 200);
    Move(240, 200);
    Move(215, 200);
    EXPECT_EQ(engine.EvalInt("moves", 0), 2);
    EXPECT_EQ(house->GetInteractionState(), CPetRoom::STATE_PRESSED);
    Up(175, 200);
    EXPECT_EQ(Log(), "push:Head:3") << "the release still reads the press";
}

TEST_F(PetRoom, ClickableObjectsBelongToTheirHouseRoomAndNamesArriveQuoted)
{
    Cx3DObject boombox, poop, shelf, hidden;
    boombox.SetName("BoomBox");
    poop.SetName("Poop");
    hidden.SetName("Sofa");
    boombox.Link(&house->GetSceneManager());
    shelf.Link(&house->GetSceneManager());
    hidden.Link(&shelf);
    house->hitNames = {"BoomBox"};
    engine.RunString("Room.m_nCurRoom = 2");
    Click(700, 100, 0, 0);
    EXPECT_EQ(Log(), "") << "no boom box in the living room";
    engine.RunString("Room.m_nCurRoom = 3");
    Click(700, 100, 1, 1);
    EXPECT_EQ(Log(), "click:BoomBox:false");
    ClearLog();
    poop.Link(&house->GetSceneManager());
    house->hitNames.insert("Poop");
    engine.RunString("Room.m_nCurRoom = 2");
    Click(700, 100, 0, 0);
    EXPECT_EQ(Log(), "click:Poop:false") << "poop is everywhere, and first";
    ClearLog();
    // A sofa under a hidden parent cannot be clicked; shown, it can.
    house->hitNames = {"Sofa"};
    shelf.SetVisible(0);
    Click(700, 100, 0, 0);
    EXPECT_EQ(Log(), "");
    shelf.SetVisible(1);
    Click(700, 100, 0, 0);
    EXPECT_EQ(Log(), "click:Sofa:false");
    ClearLog();
    // A press on the object and a release elsewhere clicks nothing.
    Down(700, 100);
    Up(50, 100);
    EXPECT_EQ(Log(), "");

    // The toy's name and a body part's name go into the script text whole.
    C3DPhysicsObject* toy = ScriptToy("Ba'll\") os.exit(1) --");
    ASSERT_NE(toy, nullptr);
    toy->Link(&house->GetSceneManager());
    house->hitNames = {toy->GetName()};
    Click(700, 100, 0, 0);
    EXPECT_EQ(Log(), "click:Ba'll\") os.exit(1) --:false");
    ClearLog();
    house->headName = "He\"ad')\nerror('x";
    Click(200, 100, 1, 0);
    EXPECT_EQ(Log(), "poke:He\"ad')\nerror('x");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(PetRoom, ATreatGoesToThePetOrBackAndAThrowWithoutMotionStillRises)
{
    C3DPhysicsObject* treat = ScriptToy("treat");
    ASSERT_NE(treat, nullptr);
    engine.RunString("GrabToy(toy)");
    EXPECT_EQ(house->GetInteractionState(), CPetRoom::STATE_DRAGGING);
    EXPECT_EQ(house->GetGrabbedToy(), treat);
    EXPECT_EQ(treat->GetParent(), &house->GetSceneManager());
    Move(50, 300);
    Down(50, 300);   // a press while dragging belongs to the drag
    Up(50, 300);
    EXPECT_EQ(Log(), "grab,ungrab,back");
    ClearLog();
    engine.RunString("GrabToy(toy)");
    Down(200, 300);
    Up(200, 300);
    EXPECT_EQ(Log(), "grab,ungrab,treat");
    EXPECT_EQ(house->GetToyInFlight(), nullptr) << "a treat is never thrown";
    ClearLog();

    // A ball let go where it was grabbed: no motion, yet it leaves upward
    // at the least vertical speed (as the negated minimum).
    C3DPhysicsObject* ball = ScriptToy("Ball");
    Move(600, 300);
    engine.RunString("GrabToy(toy)");
    Down(600, 300);
    Loop(16);
    Up(600, 300);
    EXPECT_EQ(Log(), "grab,ungrab");
    EXPECT_EQ(house->GetToyInFlight(), ball);
    EXPECT_TRUE(ball->IsFlying());
    EXPECT_FLOAT_EQ(ball->GetVelocity()[2], -2.0f);
    EXPECT_FLOAT_EQ(ball->GetVelocity()[0], 0.0f);

    // A fast drag is capped at the maximum speed.
    engine.RunString("GrabToy(toy)");
    Move(400, 300);
    Down(400, 300);
    for (int i = 1; i <= 5; ++i) {
        Loop(10);
        Move(400 + 40 * i, 300 - 10 * i);
    }
    Loop(10);
    Up(600, 250);
    ASSERT_TRUE(ball->IsFlying());
    const float* v = ball->GetVelocity();
    float speed = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    EXPECT_NEAR(speed, 30.0f, 1e-3f);
    EXPECT_GT(std::fabs(v[0]), std::fabs(v[1])) << "mostly sideways, as the pointer went";
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(PetRoom, ToysTheCollectorFreesAreForgottenInFlightAndWhileGrabbed)
{
    ScriptToy("Ball");
    engine.RunString("GrabToy(toy)");
    Move(600, 300);
    Down(600, 300);
    Loop(16);
    Up(600, 300);
    ASSERT_NE(house->GetToyInFlight(), nullptr);
    Loop(16);
    // The script drops the flying toy; the collector frees it.
    engine.RunString("toy = nil collectgarbage('collect')");
    EXPECT_EQ(house->GetToyInFlight(), nullptr);
    for (int i = 0; i < 5; ++i) Loop(16);   // passes step nothing freed

    // The same with a toy held by the pointer.
    ScriptToy("Ball");
    engine.RunString("GrabToy(toy) toy = nil collectgarbage('collect')");
    EXPECT_EQ(house->GetGrabbedToy(), nullptr);
    Move(500, 300);
    Loop(16);   // the frame's drag update finds nothing to drag
    EXPECT_EQ(house->GetInteractionState(), CPetRoom::STATE_IDLE);
    Down(620, 300);
    Up(620, 300);
    EXPECT_EQ(house->GetToyInFlight(), nullptr);

    // And an object pressed and then freed before the release.
    auto* freed = new Cx3DObject;
    freed->SetName("Poop");
    freed->Link(&house->GetSceneManager());
    house->hitNames = {"Poop"};
    ClearLog();
    Down(700, 100);
    EXPECT_EQ(house->GetPressedObject(), freed);
    delete freed;
    EXPECT_EQ(house->GetPressedObject(), nullptr);
    Up(700, 100);
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(PetRoom, TheHouseTicksEveryFiftyMillisecondsOfItsClockAndStopsWhilePaused)
{
    Loop(20);
    Loop(20);
    EXPECT_EQ(engine.EvalInt("#ticks", -1), 0);
    Loop(20);
    ASSERT_EQ(engine.EvalInt("#ticks", -1), 1);
    EXPECT_EQ(engine.EvalInt("ticks[1]", -1), 60);
    Loop(30);
    EXPECT_EQ(engine.EvalInt("#ticks", -1), 1) << "50 ms are not more than 50";
    Loop(30);
    EXPECT_EQ(engine.EvalInt("#ticks", -1), 2);
    rooms.PauseRoom();
    for (int i = 0; i < 10; ++i) Loop(100);
    EXPECT_EQ(engine.EvalInt("#ticks", -1), 2);
    rooms.ResumeRoom();
    Loop(60);
    ASSERT_EQ(engine.EvalInt("#ticks", -1), 3);
    EXPECT_EQ(engine.EvalInt("ticks[3]", -1), 180) << "paused time is not house time";
    EXPECT_EQ(house->GetRoomClockMs(), 180u);
}

TEST_F(PetRoom, ToolCursorsStayThroughPettingAndScriptFunctionsCheckTheirArguments)
{
    engine.RunString("SetBrushCursor()");
    EXPECT_EQ(GetCursorId(), 12);
    Down(200, 200);
    Move(240, 200);
    Move(215, 200);
    EXPECT_EQ(GetCursorId(), 4);
    Up(215, 200);
    EXPECT_EQ(GetCursorId(), 12) << "petting ends on the tool, not the arrow";
    engine.RunString("SetShampooCursor()");
    EXPECT_EQ(GetCursorId(), 11);
    engine.RunString("RevertToDefaultCursor()");
    EXPECT_EQ(GetCursorId(), 0);

    SetMessageBoxAnswer([](const char*, const char*, const char* const*, int count) { return count - 1; });
    EXPECT_EQ(engine.EvalInt("DoMessageBox('Title', 'Sure?', 'Yes', 'No')", -1), 1);
    SetMessageBoxAnswer(nullptr);
    int errors = engine.GetScriptErrorCount();
    engine.RunString("DoMessageBox('Title', 'Sure?', 'Yes')");
    EXPECT_EQ(engine.GetScriptErrorCount(), errors + 1);
    engine.RunString("ok, message = pcall(DoStoreDialog)");
    EXPECT_TRUE(Eval("not ok and string.find(message, 'DoStoreDialog is not available yet', 1, true) ~= nil"));
    engine.RunString("ok, message = pcall(DoTalentMenu)");
    EXPECT_TRUE(Eval("not ok and string.find(message, 'not available yet', 1, true) ~= nil"));

    engine.RunString("SetTalentTimer(3, 7) ToggleTalentTimer()");
    EXPECT_STREQ(house->GetTalentTimerText(), "03:07");
    EXPECT_TRUE(house->IsTalentTimerShown());
    engine.RunString("TurnOnTempOutput()");
    EXPECT_TRUE(house->IsTempOutputOn());
    EXPECT_TRUE(Eval("g_bShowToolTips == true"));
}

TEST_F(PetRoom, TheMenuAnswersByButtonNameFromItsShippedDescription)
{
    RegisterEngineImageFilters();
    const std::string data = std::string(VORN_GENERATED_DATA) + "/..";
    for (const char* file : {"COMMON/MenuDialog.ini", "generated/Common/question_dialog.tga",
                             "generated/Common/button_kennel.tga", "generated/Common/button_back.tga",
                             "generated/Common/button_quit.tga"})
        Write(file, ReadFileBytes(data + "/" + file));
    CMenuDialog menu;
    ASSERT_EQ(menu.Load("COMMON/MenuDialog.ini"), 0);
    EXPECT_EQ(menu.GetResult(), CMenuDialog::RESULT_NONE);
    const std::pair<const char*, int> answers[] = {{"Kennel", CMenuDialog::RESULT_KENNEL},
                                                   {"Resume", CMenuDialog::RESULT_RESUME},
                                                   {"Quit", CMenuDialog::RESULT_QUIT}};
    for (const auto& [name, result] : answers) {
        CKelButton* button = menu.FindButton(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_GT(button->GetWidth(), 0) << name;
        menu.OnNotify(NOTIFY_BUTTON, button, BUTTON_CODE_CLICKED, 0);
        EXPECT_EQ(menu.GetResult(), result) << name;
        EXPECT_TRUE(menu.IsModalEnded());
    }
    UnregisterImageFilters("*");
}

namespace {
class RealPetRoom : public RoomTest {};
}  // namespace

// No stand-in hit tests here: the room's own picking through the cat's
// posed skeleton, the camera's ray and the `bones` table.
TEST_F(RealPetRoom, APressOnTheShippedCatFindsItsBoneAndTheFloorBesideItNothing)
{
    RegisterPetScript(engine);
    RegisterPhysicsScriptClass(engine);
    engine.RunString("PetAI = { PET_STATES = { ATTENTION_MODE = 1 }, CUR_STATE = 1 } bones = {} pokes = {}");
    Write("Den/Den.lua", "function Room.OnPokePet(p) pokes[#pokes + 1] = p end\n"
                         "function Room.OnClickedObject(name, isPet) clicked_pet = isPet end");
    auto* room = AddRoom<CPetRoom>("Den");
    room->SetRoomSize(800, 600);
    CPet cat;
    ASSERT_EQ(cat.LoadModel((std::string(VORN_SHARED_MODELS) + "/cat_model.glb").c_str()), 0);
    ASSERT_TRUE(cat.HasModel());
    SetRegisteredPet(&cat);
    Enter("Den");
    CxCamera& camera = room->GetCamera();
    camera.SetPerspective(1.0f, 800.0f / 600.0f, 0.1f, 100.0f);
    int head = cat.GetBoneIndex("head");
    ASSERT_GE(head, 0);
    GpuMatrix world;
    cat.GetWorldMatrix(&world);
    cat.GetRig()->Pose(&world.m[0][0], 0);
    float at[3];
    ASSERT_TRUE(cat.GetBonePosition(head, at));
    camera.eye[0] = at[0], camera.eye[1] = at[1] + 0.3f, camera.eye[2] = at[2] - 2.0f;
    camera.target[0] = at[0], camera.target[1] = at[1], camera.target[2] = at[2];
    camera.valid = 1;
    int x = 0, y = 0;
    ASSERT_TRUE(camera.ScreenPosition(at, 800, 600, &x, &y));
    EXPECT_EQ(room->ObjectAt(CxPoint{x, y}), &cat);
    EXPECT_EQ(room->ObjectAt(CxPoint{2, 2}), nullptr);
    room->OnLButtonDown(1, CxPoint{x, y});
    EXPECT_EQ(room->GetInteractionState(), CPetRoom::STATE_PRESSED);
    EXPECT_EQ(room->GetPressedObject(), &cat);
    room->OnLButtonUp(0, CxPoint{x + 1, y});
    CxString part = engine.EvalString("pokes[1]", "");
    EXPECT_EQ(std::string(part.Text()).rfind("Unknown Bone: ", 0), 0u) << part.Text();
    EXPECT_EQ(std::string(part.Text()).find("-tag"), std::string::npos);
    EXPECT_TRUE(Eval("clicked_pet == true"));
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
    SetRegisteredPet(nullptr);
}

TEST_F(RealPetRoom, TheHouseBendsTheTweakBoneOfTheRegisteredPetOnly)
{
    RegisterPetScript(engine);
    RegisterPhysicsScriptClass(engine);
    engine.RunString("globals = { TWEAK_BLEND_QUATERNION_ANGULAR_VELOCITY = 100, TWEAK_BLEND_EPSILON = 0.001,"
                     " TWEAK_BLEND_MAX_SLERP = 10 }");
    AddRoom<CHouse>("House");
    const std::string model = std::string(VORN_SHARED_MODELS) + "/cat_model.glb";
    CPet cat, stray;
    ASSERT_EQ(cat.LoadModel(model.c_str()), 0);
    ASSERT_EQ(stray.LoadModel(model.c_str()), 0);
    ASSERT_TRUE(cat.HasModel() && stray.HasModel());
    cat.AttachPoseHook();   // posed here without drawing
    stray.AttachPoseHook();
    SetRegisteredPet(&cat);
    Enter("House");
    engine.RunString("Room.tTweakBone = { on = 1, name = 'head', axis = { x = 1, y = 0, z = 0 }, angle = 60,"
                     " qav_factor = 1, qav_factor_min = 0, qav_factor_max = 10 }");
    auto pose = [](CPet& pet) {
        GpuMatrix world;
        pet.GetWorldMatrix(&world);
        pet.GetRig()->Pose(&world.m[0][0], 0);
    };
    auto largestGap = [](CPet& a, CPet& b) {
        float gap = 0;
        for (int bone = 0; bone < a.GetNumBones(); ++bone) {
            float p[3], q[3];
            if (!a.GetBonePosition(bone, p) || !b.GetBonePosition(bone, q)) continue;
            for (int i = 0; i < 3; ++i) gap = std::max(gap, std::fabs(p[i] - q[i]));
        }
        return gap;
    };
    pose(cat);   // the blend starts
    pose(stray);
    EXPECT_LT(largestGap(cat, stray), 1e-5f);
    RoomTestNow() += 100;
    pose(cat);
    pose(stray);
    EXPECT_GT(largestGap(cat, stray), 0.005f) << "the registered cat's head turned, the stray's did not";
    engine.RunString("Room.tTweakBone.on = 0");
    for (int i = 0; i < 3; ++i) {
        RoomTestNow() += 100;
        pose(cat);
    }
    pose(stray);
    EXPECT_LT(largestGap(cat, stray), 1e-4f) << "blended back to the clip";
    SetRegisteredPet(nullptr);
}

TEST_F(PetRoom, MakePetFaceCameraTurnsTheRegisteredPetTowardTheEyeAtItsSpeed)
{
    CxCamera& camera = house->GetCamera();
    camera.eye[0] = 10, camera.eye[1] = 0, camera.eye[2] = 0;   // a quarter turn away
    CxLinkedList<CxString> words;
    words.AddTail(CxString("90"));   // degrees per second: about a second for the turn
    CxEvent* turn = house->CreateEvent("House", "MakePetFaceCamera", words);
    ASSERT_NE(turn, nullptr);
    ASSERT_EQ(turn->Post(house->GetRoomChannel()), 0);
    const float eye[3] = {10, 0, 0}, at[3] = {0, 0, 0};
    EXPECT_NEAR(std::fabs(PetFacingAngle(cat.GetOrientation(), at, eye)), float(M_PI / 2), 1e-3f);
    for (int i = 0; i < 20; ++i) Loop(33);
    EXPECT_GT(std::fabs(PetFacingAngle(cat.GetOrientation(), at, eye)), 0.5f) << "not yet after 0.66 s";
    for (int i = 0; i < 20; ++i) Loop(33);
    EXPECT_NEAR(PetFacingAngle(cat.GetOrientation(), at, eye), 0.0f, 0.03f);

    SetRegisteredPet(nullptr);
    EXPECT_EQ(house->CreateEvent("House", "MakePetFaceCamera", words), nullptr) << "no pet, no turn";
}
