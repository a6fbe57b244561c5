#include "ScriptTestSupport.h"
#include "core/CxOptions.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxMemory.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

#include <string>

// Two small engine classes stand in for a bound hierarchy: `Counted` is a
// root class whose objects sit in an engine list while they live;
// `Labelled` derives from it behind another base, so its `Counted` part does
// not start at the object's address and every inherited method needs the
// adjustment.
namespace {
CxLinkedList<class Counted*> gLive;

class Counted : public CxObject {
public:
    Counted() { gLive.AddTail(this); }
    ~Counted() override { gLive.Remove(this); }   // no dangling entry once the collector deletes it
    int32_t value = 0;
};

class Padding {
public:
    virtual ~Padding() = default;
    double pad[3] = {1, 2, 3};
};

class Labelled : public Padding, public Counted {
public:
    CxString label;
};

int32_t GetValue(Counted& c) { return c.value; }
void SetValue(Counted& c, int32_t v) { c.value = v; }
bool IsPositive(Counted& c) { return c.value > 0; }
CxPoint Twice(Counted& c, int32_t x, std::optional<int32_t> y) { return {2 * x, 2 * y.value_or(c.value)}; }
void SetLabel(Labelled& l, const char* text) { l.label = text; }
CxString GetLabel(Labelled& l) { return l.label; }

const CxScriptMethod kCountedMethods[] = {
    ScriptMethod("GetValue", &GetValue),
    ScriptMethod("SetValue", &SetValue),
    ScriptMethod("IsPositive", &IsPositive),
    ScriptMethod("Twice", &Twice),
    {nullptr, nullptr, nullptr},
};
const CxScriptMethod kLabelledMethods[] = {
    ScriptMethod("SetLabel", &SetLabel),
    ScriptMethod("GetLabel", &GetLabel),
    {nullptr, nullptr, nullptr},
};
const CxScriptClass kCounted = ScriptClass<Counted>("Counted", nullptr, kCountedMethods);
const CxScriptClass kLabelled = ScriptClass<Labelled, Counted>("Labelled", &kCounted, kLabelledMethods);

class BindingTest : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_EQ(ScriptBindClass(engine, kLabelled), 0);   // bootstraps Counted first
        ASSERT_EQ(BindCxOptions(engine), 0);
    }
    void TearDown() override
    {
        ScriptTest::TearDown();
        gLive.RemoveAll();
    }
};
}  // namespace

// ------------------------------------------------------------- classes and instances
TEST_F(BindingTest, CallingTheClassOrNewGivesAnInstanceOwningANewEngineObject)
{
    Run("a = Counted() b = Counted:new() o = CxOptions() p = CxOptions:new()");
    EXPECT_EQ(gLive.GetCount(), 2);
    EXPECT_EQ(Run("print(a.super == Counted, b.super == Counted, getmetatable(a) == Counted, o.super == CxOptions,"
                  " getmetatable(Counted) == Counted, type(p.__object))"),
              "true    true    true    true    true    userdata\n");
    EXPECT_EQ(Run("a:SetValue(7) b:SetValue(-2) print(a:GetValue(), b:GetValue(), a:IsPositive(), b:IsPositive())"),
              "7    -2    1    0\n");
    EXPECT_EQ(Run("print(a:Twice(3)) print(a:Twice(3, 10))"), "6    14\n6    20\n");
    EXPECT_EQ(Run("a:SetValue(2.9) print(a:GetValue()) a:SetValue(-2.9) print(a:GetValue())"), "2\n-2\n");
    EXPECT_EQ(Run("a:SetValue(1e30) print(a:GetValue()) a:SetValue(0/0) print(a:GetValue())"), "2147483647\n0\n");
}

TEST_F(BindingTest, ADerivedClassInheritsMethodsAndCreatesItsOwnEngineClass)
{
    Run("l = Labelled() l:SetValue(5) l:SetLabel('tag')");
    ASSERT_EQ(gLive.GetCount(), 1);
    auto* labelled = dynamic_cast<Labelled*>(gLive.GetHead()->value);
    ASSERT_NE(labelled, nullptr);
    EXPECT_EQ(labelled->value, 5);
    EXPECT_EQ(labelled->label, "tag");
    EXPECT_EQ(Run("print(l.super == Labelled, Labelled.super == Counted, getmetatable(Labelled) == Counted,"
                  " l:GetValue(), l:GetLabel())"),
              "true    true    true    5    tag\n");
    EXPECT_EQ(Run("print(rawget(Labelled, 'GetValue'), rawget(Labelled, 'GetLabel') ~= nil)"), "nil    true\n");
}

TEST_F(BindingTest, AScriptSubclassFindsItsOwnFieldsAndEveryEngineMethodAbove)
{
    EXPECT_EQ(Run("MyTag = Labelled:SubClass()"
                  " function MyTag:Describe() return self:GetLabel() .. '=' .. self:GetValue() end"
                  " function MyTag:GetValue() return 100 + Counted.GetValue(self) end"
                  " t = MyTag() t:SetLabel('x') t:SetValue(1) print(t:Describe(), t.super == MyTag)"),
              "x=101    true\n");
    EXPECT_EQ(gLive.GetCount(), 1);
    EXPECT_EQ(Run("print(Labelled.Describe, Counted.Describe)"), "nil    nil\n");
    EXPECT_EQ(Run("Counted.Shared = function() return 'from root' end print(t:Shared())"), "from root\n");
}

TEST_F(BindingTest, BootstrappingAgainChangesNothing)
{
    Run("Counted.marker = 'kept' first = Counted first_new = Counted.new");
    ASSERT_EQ(ScriptBindClass(engine, kLabelled), 0);
    ASSERT_EQ(ScriptBindClass(engine, kCounted), 0);
    EXPECT_EQ(Run("print(Counted == first, Counted.marker, Counted.new == first_new)"), "true    kept    true\n");
}

TEST_F(BindingTest, AMethodTakesTheReferenceItselfInPlaceOfTheInstance)
{
    EXPECT_EQ(Run("a = Counted() a:SetValue(3) print(Counted.GetValue(a.__object), a.GetValue(a.__object))"), "3    3\n");
}

// ------------------------------------------------------------- boundary errors
TEST_F(BindingTest, BoundaryErrorsUseTheDesignedTexts)
{
    Run("a = Counted() o = CxOptions()");
    auto error = [&](const char* call) {
        std::string text = std::string("ok, message = pcall(") + call + ")";
        EXPECT_EQ(engine.RunString(text.c_str()), 0);
        EXPECT_FALSE(engine.GetGlobalBool("ok", true)) << call;
        return engine.GetGlobalString("message", "");
    };
    EXPECT_EQ(error("Counted.GetValue, {}"), "The table does not have a userdata member called __object.");
    EXPECT_EQ(error("Counted.GetValue, { __object = 5 }"), "The table does not have a userdata member called __object.");
    EXPECT_EQ(error("Counted.GetValue, 5"),
              "bad argument #1 to '?' (must be userdata or a table with a userdata member called __object)");
    EXPECT_EQ(error("Counted.GetValue, newproxy()"),
              "bad argument #1 to '?' (must be userdata or a table with a userdata member called __object)");
    EXPECT_EQ(error("o.GetString, o, 5, 'k'"), "bad argument #2 to '?' (bad argument)");
    EXPECT_EQ(error("o.GetString, o, 's', 'k', 7"), "bad argument #4 to '?' (bad argument)");
    EXPECT_EQ(error("o.GetInt, o, 's', 'k', '5'"), "bad argument #4 to '?' (bad argument)");   // no conversion
    EXPECT_EQ(error("o.GetInt, o, 's', 'k'"), "bad argument #4 to '?' (bad argument)");       // the default is required
    EXPECT_EQ(error("a.SetValue, a"), "bad argument #2 to '?' (bad argument)");

    // Called as a method, the script library names the call itself.
    EXPECT_EQ(engine.RunString("ok, message = pcall(function() o:GetString(5, 'k') end)"), 0);
    EXPECT_NE(engine.GetGlobalString("message", "").Find("bad argument #1 to 'GetString' (bad argument)"), -1)
        << engine.GetGlobalString("message", "").Text();
}

TEST_F(BindingTest, AnObjectOfAnUnrelatedClassIsRefused)
{
    Run("a = Counted() o = CxOptions() l = Labelled()");
    EXPECT_EQ(Run("print(pcall(Labelled.GetLabel, a))"), "false    bad argument #1 to '?' (Labelled expected, got Counted)\n");
    EXPECT_EQ(Run("print(pcall(Counted.GetValue, o))"), "false    bad argument #1 to '?' (Counted expected, got CxOptions)\n");
    EXPECT_EQ(Run("print(pcall(CxOptions.Save, l))"), "false    bad argument #1 to '?' (CxOptions expected, got Labelled)\n");
    EXPECT_EQ(Run("print(pcall(Counted.GetValue, l))"), "true    0\n");
}

// ------------------------------------------------------------- lifetimes
TEST_F(BindingTest, TheCollectorDeletesAnUnreferencedOwnedObjectAndItLeavesTheEngineList)
{
    Run("keep = Labelled() drop = Counted() dropped_too = Labelled()");
    ASSERT_EQ(gLive.GetCount(), 3);
    Run("drop = nil dropped_too = nil collectgarbage('collect')");
    ASSERT_EQ(gLive.GetCount(), 1);
    EXPECT_NE(dynamic_cast<Labelled*>(gLive.GetHead()->value), nullptr);
    engine.Shutdown();   // closing the state finalises the rest
    EXPECT_EQ(gLive.GetCount(), 0);
}

TEST_F(BindingTest, ABorrowedWrapperSurvivesCollectionsAndIsNeverDeleted)
{
    Labelled owned;   // the engine's own object
    owned.value = 12;
    ASSERT_EQ(ScriptExpose(engine, static_cast<Counted*>(&owned), kCounted, "Room = {} Room.this = Counted:SubClass(_tmpObj) _tmpObj = nil"), 0);
    EXPECT_EQ(Run("print(Room.this:GetValue(), _tmpObj, getmetatable(Room.this.__object)) Room.this:SetValue(4)"),
              "12    nil    nil\n");
    Run("collectgarbage('collect') collectgarbage('collect')");
    EXPECT_EQ(owned.value, 4);
    Run("Room.this.__gc(Room.this) Room = nil collectgarbage('collect')");   // even a direct finaliser call leaves it
    engine.Shutdown();
    EXPECT_EQ(gLive.GetCount(), 1);
    EXPECT_EQ(owned.value, 4);
}

TEST_F(BindingTest, TheEngineExposesItsOptionsAsABorrowedInstance)
{
    CxOptions options;
    options.SetString("Game", "Name", "Mittens");
    ASSERT_EQ(ScriptExpose(engine, &options, kCxOptionsScriptClass, "qor.options = CxOptions:SubClass(_tmpObj) _tmpObj = nil"), 0);
    EXPECT_EQ(Run("print(qor.options:GetString('Game', 'Name'), qor.options.super == CxOptions)"), "Mittens    true\n");
    Run("qor.options:SetInt('Game', 'Age', 3) collectgarbage('collect')");
    EXPECT_EQ(options.ReadInt("Game", "Age", 0), 3);
}

TEST_F(BindingTest, FinalisingTwiceDeletesOnceAndLaterCallsRaiseAnError)
{
    Run("a = Counted() a:__gc() Counted.__gc(a.__object)");
    EXPECT_EQ(gLive.GetCount(), 0);
    EXPECT_EQ(Run("print(pcall(a.GetValue, a))"),
              "false    the Counted object does not exist (deleted, or it could not be created)\n");
    Run("a = nil collectgarbage('collect')");
    EXPECT_EQ(gLive.GetCount(), 0);
}

TEST_F(BindingTest, AnObjectThatCannotBeCreatedGivesANullReferenceNotACrash)
{
    // Room for the reference (a 24-byte userdata) but not for the engine
    // object behind it; the collector is stopped so nothing frees room.
    Run("make = function() return Counted:PrivateNew() end collectgarbage('stop')");
    lua_getglobal(L, "make");
    QorSetAllocationLimit(QorBytesInUse() + 72);
    int status = lua_pcall(L, 0, 1, 0);
    QorSetAllocationLimit(0);
    ASSERT_EQ(status, 0) << lua_tostring(L, -1);
    CxScriptRef* ref = ScriptToRef(L, -1);
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->object, nullptr);
    lua_setglobal(L, "a");
    EXPECT_EQ(gLive.GetCount(), 0);
    EXPECT_EQ(Run("collectgarbage('restart') print(pcall(Counted.GetValue, a))"),
              "false    the Counted object does not exist (deleted, or it could not be created)\n");
}

// Binding or exposing before the state exists must fail, even though the
// error callback answers 0 (Continue), which once came back as success.
TEST(ScriptBindingWithoutState, BindAndExposeReportAndReturnTheError)
{
    ErrorCapture capture;
    ErrorCapture::Answer() = 0;
    CxLuaEngine engine;
    Counted object;
    EXPECT_EQ(ScriptBindClass(engine, kCounted), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(ScriptExpose(engine, &object, kCounted, "thing"), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(capture.Reports().size(), 2u);
    EXPECT_EQ(capture.Reports()[1].message, "Lua VM not yet created");
}
