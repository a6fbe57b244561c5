// A scripted room that draws a 3D scene behind its interface: its camera,
// its scene manager with the lights, its ambient colour and the per-frame
// device set-up every 3D room shares.
#pragma once
#include "framework/CBaseRoom.h"
#include "game/world/CxSceneManager.h"
#include "platform/gpu/GpuDevice.h"

class CxD3DDevice;
class CxModelRig;
class CxRigLocalPose;

// Left-handed look-at camera.  Nothing it computes is ever NaN: degenerate
// eyes, targets and up vectors keep the last good matrix.
struct CxCamera {
    GpuMatrix view, projection;
    float eye[3] = {0, 0, 0}, target[3] = {0, 0, 0}, up[3] = {0, 0, 0};
    int valid = 0;

    const GpuMatrix& GetView();   // rebuilt from eye, target and up while valid
    void SetPerspective(float fov, float aspect, float zNear, float zFar);
    // The pixel of a world point on a width × height screen; false (and 0, 0)
    // when it cannot be projected.
    bool ScreenPosition(const float point[3], int width, int height, int* x, int* y);
    void SetDistance(float distance);
    // The world-space ray under a screen point of a width x height view:
    // origin is the eye, direction normalised.
    void PickingRay(int sx, int sy, int width, int height, float origin[3], float direction[3]);
};

class C3DRoom : public CBaseRoom {
public:
    C3DRoom();
    ~C3DRoom() override;

    // Registers the camera functions, exposes `Room.m_cSceneManager` and
    // takes the camera's perspective from the description's [Camera].
    void PrepareRoom() override;
    void StartRoom() override;
    void StopRoom() override;
    // While the 3D frame draws the room, its picture is the scene: only the
    // interface above it is painted.
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;
    void SetSceneShown(bool shown) { sceneShown_ = shown; }

    // "MoveCamera", "TrackCamera", "ZoomCamera" events and the camera
    // commands; everything else goes to the base room.
    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    int OnCommand(const char* command, CxLinkedList<CxString>& arguments) override;

    // The 3D room the camera functions steer (the one running), or null.
    static C3DRoom* GetRunning();
    // Rooms set it as they start; hosts without a room manager (tests, tools) set it themselves.
    static void SetRunning(C3DRoom* room);

    virtual void BeginRender(CxD3DDevice* device);
    virtual void RenderScene(const RenderContext& context);
    virtual void EndRender(CxD3DDevice* device);
    // The pose hook of the pet's model: the running room may bend bones of
    // the sampled pose before it is drawn (the house bends the tweak bone).
    virtual void AdjustPose(CxModelRig& rig, CxRigLocalPose& pose) { (void)rig, (void)pose; }

    CxCamera& GetCamera() { return camera_; }
    CxSceneManager& GetSceneManager() { return scene_; }
    void SetAmbient(uint32_t argb) { ambient_ = argb; }
    uint32_t GetAmbient() const { return ambient_; }
    void SetRoomSize(int width, int height) { width_ = width, height_ = height; }
    int GetRoomWidth() const { return width_; }
    int GetRoomHeight() const { return height_; }

private:
    CxCamera camera_;
    CxSceneManager scene_;
    uint32_t ambient_ = 0xFFFFFFFF;
    int width_ = 800, height_ = 600;
    bool sceneShown_ = false;
};

class CxLuaEngine;
int RegisterCameraFunctions(CxLuaEngine& engine);

// What every drawing of lit, textured models starts from: texture times
// diffuse in colour and alpha, source-alpha blending with an alpha test
// that keeps every drawn pixel, depth test and write, lighting on.
void SetModelDrawStates(CxD3DDevice* device);
