#include "display/CxDisplayTree.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
std::vector<std::string> gLog;

std::string RectText(const CxRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Records painting and the input that reaches it.
class Probe : public CxDisplayObject {
public:
    explicit Probe(std::string n, bool handles = false) : handles_(handles) { SetName(n.c_str()); }
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override
    {
        gLog.push_back(std::string(GetName()) + " paint " + RectText(*rect));
        CxDisplayObject::OnPaint(target, rect);
    }
    void OnLButtonDown(uint32_t keys, CxPoint p) override
    {
        if (!handles_) return CxDisplayObject::OnLButtonDown(keys, p);
        gLog.push_back(std::string(GetName()) + " click " + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    void OnKeyDown(KeyCode key, uint32_t) override { gLog.push_back(std::string(GetName()) + " key " + std::to_string(key)); }
    void OnActivate() override { gLog.push_back(std::string(GetName()) + " activate"); }
    void OnDeactivate() override { gLog.push_back(std::string(GetName()) + " deactivate"); }
    bool CanDeactivate(CxDisplayObject*) override { return !refuseDeactivation; }
    bool refuseDeactivation = false;

private:
    bool handles_;
};

CxRenderTarget* FakeTarget()
{
    static char storage;
    return reinterpret_cast<CxRenderTarget*>(&storage);
}

std::vector<std::string> DirtyList()
{
    std::vector<std::string> rects;
    for (auto* n = CurrentDirtyRects().GetHead(); n; n = n->next) rects.push_back(RectText(n->value));
    return rects;
}

class DisplayTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        gLog.clear();
        SetDisplayBufferCount(CxSize{100, 80}, 1);
        PaintDirtyRects(FakeTarget(), nullptr);   // start from a clean list
        gLog.clear();
    }
    void TearDown() override { ShutdownDisplayTree(); }

    static Probe* Child(const char* name, CxRect rect, uint32_t z = Z_DEFAULT, CxDisplayObject* parent = nullptr,
                        bool handles = false)
    {
        auto* probe = new Probe(name, handles);
        probe->SetZOrder(z);
        probe->Create(rect.left, rect.top, rect.Width(), rect.Height(), parent ? parent : GetRootObject(), 0);
        probe->Paint();
        return probe;
    }
};
}  // namespace

TEST_F(DisplayTree, ZOrderDecidesPaintingOrderAndHitTests)
{
    Probe* a = Child("a", {0, 0, 49, 49});
    Probe* b = Child("b", {10, 10, 59, 59});                 // same z, added later: in front
    Probe* front = Child("front", {40, 40, 69, 69}, 0);
    Probe* five = Child("five", {40, 40, 69, 69}, 5);        // added after z=0, still behind it
    EXPECT_EQ(HitTestRoot(CxPoint{20, 20}), b);
    EXPECT_EQ(HitTestRoot(CxPoint{45, 45}), front);
    EXPECT_EQ(HitTestRoot(CxPoint{5, 5}), a);
    EXPECT_EQ(HitTestRoot(CxPoint{95, 5}), GetRootObject());
    PaintDirtyRects(FakeTarget(), nullptr);
    EXPECT_EQ(gLog, (std::vector<std::string>{"a paint 0,0,49,49", "b paint 0,0,49,49", "five paint 0,0,29,29",
                                              "front paint 0,0,29,29"}));
    delete a;
    delete b;
    delete front;
    delete five;
}

TEST_F(DisplayTree, InvalidationsMergeAndRepaintOncePerBuffer)
{
    InvalidateRect(CxRect{0, 0, 9, 9});
    InvalidateRect(CxRect{5, 5, 14, 14});
    InvalidateRect(CxRect{50, 50, 200, 200});                // cut to the root
    EXPECT_EQ(DirtyList(), (std::vector<std::string>{"0,0,14,14", "50,50,99,79"}));
    PaintDirtyRects(FakeTarget(), nullptr);
    EXPECT_TRUE(DirtyList().empty());

    SetDisplayBufferCount(CxSize{100, 80}, 2);
    PaintDirtyRects(FakeTarget(), nullptr);
    PaintDirtyRects(FakeTarget(), nullptr);
    InvalidateRect(CxRect{1, 1, 2, 2});
    CxLinkedList<CxRect> painted;
    PaintDirtyRects(FakeTarget(), &painted);
    EXPECT_EQ(painted.GetCount(), 1);
    PaintDirtyRects(FakeTarget(), &painted);
    EXPECT_EQ(painted.GetCount(), 1);                        // the second buffer repaints it too
    PaintDirtyRects(FakeTarget(), &painted);
    EXPECT_EQ(painted.GetCount(), 0);
}

TEST_F(DisplayTree, MovingInvalidatesOldAndNewPlaces)
{
    Probe* p = Child("p", {0, 0, 9, 9});
    PaintDirtyRects(FakeTarget(), nullptr);
    p->Paint(50, 50);
    EXPECT_EQ(DirtyList(), (std::vector<std::string>{"0,0,9,9", "50,50,59,59"}));
    PaintDirtyRects(FakeTarget(), nullptr);
    p->Paint(50, 50);
    EXPECT_EQ(DirtyList().size(), 1u);                       // the same place, bit 4 set: once
    PaintDirtyRects(FakeTarget(), nullptr);
    p->SetFlag(DISPLAY_ALWAYS_REPAINT, false);
    p->Paint(50, 50);
    EXPECT_TRUE(DirtyList().empty());
    p->Erase();
    EXPECT_EQ(DirtyList().size(), 1u);
    delete p;
}

TEST_F(DisplayTree, HiddenChildrenWidenAParentThatDoesNotClip)
{
    Probe* parent = Child("parent", {10, 10, 19, 19});
    parent->SetClip(false);
    Probe* hidden = Child("hidden", {30, 30, 39, 39}, Z_DEFAULT, parent);
    hidden->Erase();
    EXPECT_EQ(RectText(parent->GetExtent()), "10,10,49,49");
    EXPECT_EQ(HitTestRoot(CxPoint{45, 45}), parent);         // inside the extent, hidden child skipped
    PaintDirtyRects(FakeTarget(), nullptr);
    gLog.clear();
    InvalidateRect(CxRect{40, 40, 45, 45});
    PaintDirtyRects(FakeTarget(), nullptr);
    EXPECT_EQ(gLog, (std::vector<std::string>{"parent paint 30,30,35,35"}));
    delete hidden;
    delete parent;
}

TEST_F(DisplayTree, MouseEventsClimbInLocalCoordinatesAndCaptureWins)
{
    Probe* panel = Child("panel", {20, 20, 79, 59}, Z_DEFAULT, nullptr, true);
    Probe* button = Child("button", {5, 5, 14, 14}, Z_DEFAULT, panel);   // does not handle clicks
    DispatchLButtonDown(0, CxPoint{27, 28});
    EXPECT_EQ(gLog, (std::vector<std::string>{"panel click 7,8"}));

    gLog.clear();
    button->SetCapture();
    DispatchLButtonDown(0, CxPoint{90, 70});                 // outside everything but the root
    EXPECT_EQ(gLog, (std::vector<std::string>{"panel click 70,50"}));
    panel->SetCapture();
    button->ReleaseCaptureAbsolute();                        // pops past the button: none left
    EXPECT_EQ(GetCaptureObject(), nullptr);

    button->SetCapture();
    panel->SetCapture();
    panel->ReleaseCapture();
    EXPECT_EQ(GetCaptureObject(), button);
    delete button;                                          // a dying object gives up capture
    EXPECT_EQ(GetCaptureObject(), nullptr);
    delete panel;
}

TEST_F(DisplayTree, ActivationAndTheDeathOfTheActiveObject)
{
    Probe* first = Child("first", {0, 0, 9, 9});
    Probe* second = Child("second", {0, 0, 9, 9});
    first->SetActive();
    first->refuseDeactivation = true;
    second->SetActive();
    EXPECT_TRUE(first->IsActiveWindow());
    first->refuseDeactivation = false;
    second->SetActive();
    DispatchKeyDown('k', 0);
    EXPECT_EQ(gLog, (std::vector<std::string>{"first activate", "first deactivate", "second activate", "second key 107"}));
    gLog.clear();
    delete second;                                          // the previous one hears OnActivate
    EXPECT_EQ(gLog, (std::vector<std::string>{"first activate"}));
    EXPECT_EQ(GetActiveObject(), nullptr);
    DispatchKeyDown('k', 0);
    EXPECT_EQ(gLog.size(), 1u);
    delete first;
}

TEST_F(DisplayTree, DestroyingALinkedParentLeavesItsChildrenParentless)
{
    Probe* parent = Child("parent", {0, 0, 49, 49});
    Probe* child = Child("child", {1, 1, 2, 2}, Z_DEFAULT, parent);
    EXPECT_EQ(GetRootObject()->CountChildren(COUNT_DESCENDANTS), 2);
    delete parent;
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(GetRootObject()->CountChildren(COUNT_DESCENDANTS), 0);
    child->Paint(5, 5);                                      // no parent: only stores
    EXPECT_EQ(child->GetPosition().x, 5);
    delete child;
}

TEST(DisplayAnchors, PositionsRoundTripThroughEveryAnchor)
{
    CxDisplayObject object;
    object.SetSizeValue(11, 7);
    for (int anchor = ANCHOR_TOP_LEFT; anchor <= ANCHOR_CENTRE; ++anchor) {
        object.SetPosition(CxPoint{40, 30}, anchor);
        EXPECT_EQ(object.GetPosition(anchor), (CxPoint{40, 30})) << anchor;
    }
    object.SetPosition(CxPoint{40, 30}, ANCHOR_BOTTOM_RIGHT);
    EXPECT_EQ(object.GetPosition(), (CxPoint{30, 24}));
    object.SetPosition(CxPoint{40, 30}, ANCHOR_CENTRE);
    EXPECT_EQ(object.GetPosition(), (CxPoint{35, 27}));
}
