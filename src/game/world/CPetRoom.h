// The 3D room in which the player handles the pet with the mouse.
//
// Raw mouse input becomes a few script callbacks on the `Room` table with
// the body part or object concerned: a press that hardly moves pokes, a
// long drag pushes in one of four screen directions, a stroke (out past the
// swipe distance and back) starts petting, which slides from part to part
// while the pointer moves on.  Named scene objects can be clicked, and the
// current toy can be grabbed, dragged and thrown with the pointer's motion.
// Every reaction (clips, sounds, the pet's mood) is script work.
//
// The room never keeps a raw pointer to a 3D object across calls: the
// pressed object, the grabbed toy and the toy in flight are remembered by
// their object ids, so a toy that a script drops and the collector frees
// is simply gone the next time the room looks.
#pragma once
#include "core/CxTimer.h"
#include "foundation/CxString.h"
#include "game/world/C3DRoom.h"
#include "game/world/CMotion.h"

#include <memory>
#include <string>
#include <vector>

class C3DPhysicsObject;
class Cx3DObject;
class CPet;
class CxLuaEngine;
class CxMainLoopHook;

// A global script function that fails with "<name> is not available yet":
// for the screens that are still to come.
void RegisterNotAvailable(CxLuaEngine& engine, const char* name);

class CPetRoom : public C3DRoom {
public:
    enum : int {
        STATE_IDLE = 0,
        STATE_PRESSED = 1,
        STATE_POKED = 2,
        STATE_PETTING = 3,
        STATE_PUSHED = 4,
        STATE_DRAGGING = 5,
    };

    CPetRoom();
    ~CPetRoom() override;

    void PrepareRoom() override;
    void StartRoom() override;
    void StopRoom() override;
    // Before every frame: the dragged toy follows the pointer.
    void UpdateRoom() override;
    // The animations follow the room clock rather than the system's.
    void BeginRender(CxD3DDevice* device) override;

    void OnMouseMove(uint32_t keys, CxPoint point) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point) override;
    void OnPause() override;
    void OnResume() override;

    // "MakePetFaceCamera" (degrees per second) turns the registered pet
    // toward this room's camera; everything else as a 3D room.
    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;

    // Virtual operations of the pet room, in slot order.
    virtual void OnPokePet(const char* part);
    virtual void OnStartPetting(const char* part, bool changed);
    virtual void OnEndPetting(const char* part, uint32_t ms, bool changed);
    virtual void OnPushPet(const char* part, int direction);
    virtual void UnGrabToy();
    virtual void GrabToy(C3DPhysicsObject* toy);
    virtual void ThrowToy(C3DPhysicsObject* toy, const float screenPosition[3], const float screenVelocity[3],
                          const float worldPosition[3], const float worldVelocity[3]);

    // Once every main-loop pass while the room runs: the toy in flight.
    virtual void OnMainLoopPass();

    // The direction of a push from `from` to `to`: 0 up, 1 right, 2 down,
    // 3 left on the screen.
    static int PushDirection(CxPoint from, CxPoint to);
    // The world point under the screen point at `depth` along the camera's
    // view direction (the plane a dragged toy moves in).
    void ScreenToWorld(float x, float y, float depth, float out[3]);

    // The running pet room (the one the script functions act on), or null.
    static CPetRoom* GetRunningPetRoom();

    int  GetInteractionState() const { return state_; }
    const char* GetBodyPart() const { return bodyPart_.Text(); }
    float GetFarthestDrag() const { return farthest_; }
    bool IsButtonDown() const { return buttonDown_ != 0; }
    Cx3DObject* GetPressedObject() const;
    C3DPhysicsObject* GetGrabbedToy() const;
    C3DPhysicsObject* GetToyInFlight() const;
    void ForgetToyInFlight() { inFlightId_ = 0; }
    float GetLastMouseX() const { return lastMouse_[0]; }
    float GetLastMouseY() const { return lastMouse_[1]; }
    const char* GetActiveGlitter() const { return activeGlitter_.Text(); }
    void SetActiveGlitter(const char* name) { activeGlitter_ = name ? name : ""; }
    bool IsPettingTimeoutArmed() const;
    uint32_t GetRoomClockMs() const { return roomClock_.Elapsed(); }
    const CMotion& GetScreenMotion() const { return screenMotion_; }
    const CMotion& GetWorldMotion() const { return worldMotion_; }

    struct Clickable {
        std::string name;
        int room;   // -1: every room
    };
    const std::vector<Clickable>& GetClickables() const { return clickables_; }

    // The object under a screen point: the registered pet, the current toy
    // (unless one is being dragged) or the first clickable object of the
    // current room; null when none.
    Cx3DObject* ObjectAt(CxPoint point);

protected:
    // Hit tests of single objects and of the pet's body, at a screen point
    // (through the camera's picking ray).
    virtual CxString BodyPartAt(CxPoint point);
    virtual bool PetHitAt(CPet& pet, CxPoint point);
    virtual bool ObjectHitAt(Cx3DObject& object, CxPoint point);

    // A script line; callbacks that paste values quote them first.
    int  Run(const char* line);
    // "Room.<name>(<arguments>)" when the room script defines it.
    int  Callback(const char* name, const char* arguments);
    bool Eval(const char* expression, bool fallback);
    float Global(const char* path, float fallback);
    void SetCursorShown(int32_t id);
    // The cursor the room falls back to (a tool cursor while one is chosen).
    virtual int32_t RestingCursor() const { return 0; }

private:
    friend class CPetRoomTimeout;
    void OnPettingTimeout();
    void RecordPress(const char* part, CxPoint point);
    void ArmPettingTimeout();
    // This move's cursor is the room's: the framework leaves it alone.
    void HoldCursor();
    void DisarmPettingTimeout();
    void UpdateDrag();
    void RegisterPetRoomFunctions();
    void FillClickables();
    bool InterfaceAt(CxPoint point);

    CxString activeGlitter_ = "default";
    uint32_t pressedId_ = 0;
    float lastMouse_[3] = {0, 0, 0};
    CxString bodyPart_ = "None";
    CxPoint downPoint_;
    CxTimer pettingClock_;
    int state_ = STATE_IDLE;
    float farthest_ = 0;
    uint32_t grabbedId_ = 0;
    CMotion screenMotion_, worldMotion_;
    std::unique_ptr<CxTimerListener> timeoutListener_;
    std::unique_ptr<CxTimerCallBack> pettingTimeout_;
    CxTimer roomClock_;
    std::vector<Clickable> clickables_;
    int buttonDown_ = 0;
    uint32_t inFlightId_ = 0;
    bool cursorHeld_ = false;
    std::unique_ptr<CxMainLoopHook> passHook_;
};
