// The root of a room's 3D tree and its lights.
#pragma once
#include "foundation/CxObject.h"
#include "foundation/CxString.h"
#include "game/world/CxRenderable.h"

#include <cstdint>
#include <vector>

class CxSceneManager;
struct GpuLight;

class CxLight {
public:
    CxLight() = default;
    ~CxLight();   // leaves every scene manager that holds it
    CxLight(const CxLight&) = delete;
    CxLight& operator=(const CxLight&) = delete;

    void SetDirection(float x, float y, float z);   // stored normalised; a zero vector stays zero
    void ToGpuLight(GpuLight* light) const;

    CxString name;
    float position[3] = {0, 0, 0};
    float direction[3] = {0, 0, 0};
    uint8_t diffuse[4] = {0, 0, 0, 0};    // alpha, red, green, blue
    uint8_t specular[4] = {0, 0, 0, 0};
    uint8_t ambient[4] = {0, 0, 0, 0};
    int type = 0;
    float range = 0, falloff = 0, attenuation0 = 0, attenuation1 = 0, attenuation2 = 0, theta = 0, phi = 0;
    int active = 1;

private:
    friend class CxSceneManager;
    std::vector<CxSceneManager*> holders_;
};

class CxSceneManager : public CxRenderable, public CxObject {
public:
    CxSceneManager();
    ~CxSceneManager() override;

    void Render(const RenderContext& context) override;

    void AddLight(CxLight* light);
    void RemoveLight(CxLight* light);
    const std::vector<CxLight*>& GetLights() const { return lights_; }

    // The highest light count any scene manager has set: the indices a
    // frame must switch off before setting its own.
    static int GetLightHighWater();
    static int LiveCount();

private:
    std::vector<CxLight*> lights_;
};
