// The engine's side of the model runtime: the one unit that talks to it.
// It hands the runtime the engine's allocator and a file opener that reads
// through the file systems, keeps the cache of model files (one read per
// file name, counted by its users), and wraps one drawable, animated model
// as a CxModelRig so that the rest of the engine never sees a runtime type.
#pragma once
#include <cstdint>

class CxD3DDevice;
struct CxModelFileEntry;
class CxModelRig;

// The sampled local pose of a rig, handed to a pose hook between sampling
// the clips and building the world pose, so that a bone can be bent on top
// of the playing clips.  Orientations are quaternions x, y, z, w.
class CxRigLocalPose {
public:
    virtual ~CxRigLocalPose() = default;
    virtual int  GetBoneCount() const = 0;
    virtual bool GetOrientation(int bone, float q[4]) const = 0;
    virtual void SetOrientation(int bone, const float q[4]) = 0;
};
using CxPoseHook = void (*)(void* user, CxModelRig& rig, CxRigLocalPose& pose);

// Installs the allocator and file opener; every rig and file call does it
// on first use, so callers need not.
void CxModelManagerInstall();
// Frees every cached file nobody uses any more.
void CxModelManagerPurgeFiles();
int  CxModelManagerCachedFiles();

// One model instance with its animations, pose and GPU buffers.
class CxModelRig {
public:
    // Null (with the reason reported) when the file cannot be read or holds no model.
    static CxModelRig* Load(const char* path);
    ~CxModelRig();
    CxModelRig(const CxModelRig&) = delete;
    CxModelRig& operator=(const CxModelRig&) = delete;

    // Channels: one animation each, found by name without regard to case.
    // AddChannel answers the channel's index, or -1 (reported) when the file
    // holds no animation.  A bone name limits the channel to that bone and
    // those below it.
    int  AddChannel(const char* name, const char* path, const char* bone);
    int  FindChannel(const char* name) const;
    int  GetChannelCount() const;
    bool ChannelHasMask(int channel) const;
    void Play(int channel, int loops, float weight);
    void BlendIn(int channel, float duration, int loops, bool fromCurrent);
    void BlendOut(int channel, float duration, int loops);
    void Stop(int channel);
    void StopAll();
    void SetLoopCount(int channel, int loops);
    void SetWeight(int channel, float weight);
    void SetSpeed(int channel, float speed);
    float GetDuration(int channel) const;
    float GetEffectiveWeight(int channel) const;
    bool IsActive(int channel) const;

    int  GetBoneCount() const;
    int  FindBone(const char* name) const;   // -1 when none; case ignored
    // The bone's matrix (row-major, row vectors) in the pose of the last
    // draw; false outside the skeleton.
    bool GetBoneMatrix(int bone, float matrix[16]) const;
    void GetInitialPlacement(float matrix[16]) const;

    // Samples the animations at gameTime (seconds), poses the skeleton under
    // world and draws every mesh with the device's current states, each
    // part's material colour modulating the current material.  With
    // ownTextures each part takes its embedded image (or none) as texture 0;
    // without, the caller's texture stays for every part.
    int  Draw(CxD3DDevice* device, const float world[16], float gameTime, bool ownTextures = false);
    // Poses without drawing (picking, bone queries before a frame).
    void Pose(const float world[16], float gameTime);
    // Called at every draw and pose after sampling; null for none.
    void SetPoseHook(CxPoseHook hook, void* user);
    // The ray against each bone's box and, when precise, the triangles;
    // the nearest hit's bone name (empty when none) and distance.
    bool Pick(const float origin[3], const float direction[3], const char* filter, bool precise, char* bone,
              int boneSize, float* distance) const;

    // Makes the embedded images' textures now rather than at the first draw,
    // so that no texture is made in the middle of a frame.
    void PrepareTextures();
    void ReleaseDevice();   // GPU buffers go; the next Draw makes them again
    int  GetVertexCount() const;

    struct Impl;

private:
    explicit CxModelRig(Impl* impl) : impl_(impl) {}
    Impl* impl_;
};
