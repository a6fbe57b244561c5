#include "game/world/CxSceneManager.h"

#include "graphics/CxD3DDevice.h"

#include <algorithm>
#include <cmath>

namespace {
int gLightHighWater = 0;
int gLiveManagers = 0;

GpuColorValue ToColor(const uint8_t argb[4])
{
    return GpuColorValue{argb[1] / 255.0f, argb[2] / 255.0f, argb[3] / 255.0f, argb[0] / 255.0f};
}
}  // namespace

CxLight::~CxLight()
{
    std::vector<CxSceneManager*> holders = holders_;
    for (CxSceneManager* manager : holders) manager->RemoveLight(this);
}

void CxLight::SetDirection(float x, float y, float z)
{
    float length = std::sqrt(x * x + y * y + z * z);
    if (!std::isfinite(length) || length < 1e-6f) {
        direction[0] = direction[1] = direction[2] = 0;
        return;
    }
    direction[0] = x / length, direction[1] = y / length, direction[2] = z / length;
}

void CxLight::ToGpuLight(GpuLight* light) const
{
    light->type = type >= 1 && type <= 3 ? uint32_t(type) : uint32_t(GPULIGHT_DIRECTIONAL);
    light->diffuse = ToColor(diffuse);
    light->specular = ToColor(specular);
    light->ambient = ToColor(ambient);
    light->position = GpuVector{position[0], position[1], position[2]};
    light->direction = GpuVector{direction[0], direction[1], direction[2]};
    light->range = range, light->falloff = falloff;
    light->attenuation0 = attenuation0, light->attenuation1 = attenuation1, light->attenuation2 = attenuation2;
    light->theta = theta, light->phi = phi;
}

CxSceneManager::CxSceneManager() { ++gLiveManagers; }

CxSceneManager::~CxSceneManager()
{
    for (CxLight* light : lights_) {
        auto& holders = light->holders_;
        holders.erase(std::remove(holders.begin(), holders.end(), this), holders.end());
    }
    --gLiveManagers;
}

int CxSceneManager::GetLightHighWater() { return gLightHighWater; }
int CxSceneManager::LiveCount() { return gLiveManagers; }

void CxSceneManager::AddLight(CxLight* light)
{
    if (!light) return;
    lights_.push_back(light);
    light->holders_.push_back(this);
}

void CxSceneManager::RemoveLight(CxLight* light)
{
    auto at = std::find(lights_.begin(), lights_.end(), light);
    if (at == lights_.end()) return;
    lights_.erase(at);
    if (std::find(lights_.begin(), lights_.end(), light) == lights_.end()) {
        auto& holders = light->holders_;
        holders.erase(std::remove(holders.begin(), holders.end(), this), holders.end());
    }
}

void CxSceneManager::Render(const RenderContext& context)
{
    if (!IsVisible() || !context.device) return;
    int lit = std::min<int>(gLightHighWater, CX_D3D_LIGHTS);
    for (int i = 0; i < lit; ++i) context.device->LightEnable(uint32_t(i), false);
    int index = 0;
    for (CxLight* light : lights_) {
        if (light->active && index < CX_D3D_LIGHTS) {
            GpuLight gpu;
            light->ToGpuLight(&gpu);
            context.device->SetLight(uint32_t(index), gpu);
            context.device->LightEnable(uint32_t(index), true);
        }
        ++index;
    }
    gLightHighWater = std::max(gLightHighWater, index);
    RenderChildren(context);
}
