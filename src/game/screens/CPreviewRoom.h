// The menu rooms that show the registered pet: a 2D scripted room with a 3D
// window in it, drawn by the room itself through the window's listener.
// The kennels and the main menu are preview rooms; the certificate is a
// plain scripted room that shares the kennels' folder.
//
// What the device draws into the window stays on the device, so the room is
// a 3D room to the game's frame (which then draws the interface through the
// device), with no scene of its own and its picture painted as a 2D room's.
//
// The window's place and the camera are the room's description's
// [Preview] Rect ("left, top, right, bottom"), Eye and Target ("x, y, z"),
// Near and Far; without them the window stands at (589, 188), 336 x 267 and
// the camera looks from (-5, 40, 30) at (0, 15, 0) with planes at 1 and 300.
#pragma once
#include "framework/CBaseRoom.h"
#include "game/world/C3DRoom.h"
#include "game/world/Cx3DWindow.h"

class CxDrawText;
class Cx3DObject;

class CPreviewRoom : public C3DRoom {
public:
    CPreviewRoom();
    ~CPreviewRoom() override;

    void StartRoom() override;
    void StopRoom() override;
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;
    // The window's target goes with the device and comes back with it.
    virtual void ReleaseDevice();
    virtual void RestoreDevice();

    // The window's listener: the preview's frame.
    void PreviewRender(const RenderContext& context);
    void PreviewBegin(CxD3DDevice* device);
    void PreviewEnd(CxD3DDevice* device);

    Cx3DWindow* GetPreviewWindow() const { return window_; }
    CxCamera& GetPreviewCamera() { return camera_; }
    CxD3DDevice* GetDevice() const { return device_; }
    // The preview room on screen, or null.
    static CPreviewRoom* GetRunning();

protected:
    // The pet shown: the registered one.  Tests show their own.
    virtual Cx3DObject* PreviewPet();
    // The screen's 3D device, or null without one.
    virtual CxD3DDevice* FindDevice();
    void SetDeviceState(CxD3DDevice* device);

private:
    class Listener : public Cx3DWindowListener {
    public:
        explicit Listener(CPreviewRoom& room) : room_(room) {}
        void Render(const RenderContext& context) override { room_.PreviewRender(context); }
        void BeginRender(CxD3DDevice* device) override { room_.PreviewBegin(device); }
        void EndRender(CxD3DDevice* device) override { room_.PreviewEnd(device); }

    private:
        CPreviewRoom& room_;
    };

    Listener listener_{*this};
    CxD3DDevice* device_ = nullptr;
    CxCamera camera_;
    Cx3DWindow* window_ = nullptr;   // owned while the room runs
};

// "Kennel1", "Kennel2": their description is "Kennel/<Name>.ini" and their
// folder "/Kennel".
class CKennel : public CPreviewRoom {
public:
    void OnRoomCreated() override;
};

// "Kennel3": the adoption certificate, in the kennels' folder.
class CCert : public CBaseRoom {
public:
    void OnRoomCreated() override;
};

// The main menu adds the version line under the preview.  Its place is
// [Version] Rect in the description ((75, 690), 400 x 20 without it), its
// ink [Version] Color ("0xAARRGGBB"; the text's default without it).
class CMainMenu : public CPreviewRoom {
public:
    ~CMainMenu() override;
    void StartRoom() override;
    void StopRoom() override;
    CxDrawText* GetVersionText() const { return version_; }

private:
    CxDrawText* version_ = nullptr;
};

// Loads "Kennel/<Name>.ini" into the room's description and makes "/Kennel"
// the room's folder: what the kennel rooms share.
void UseKennelFolder(CKelWindow& room);
