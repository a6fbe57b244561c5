// The state cache against a counting fake device: what reaches the device,
// and when.
#include "FakeGpuDevice.h"
#include "graphics/CxD3DDevice.h"

#include <gtest/gtest.h>

TEST(CxD3DDevice, SlotsFollowTheNumericOrderOfTheLists)
{
    EXPECT_EQ(CxRenderStateSlot(GPURS_ZENABLE), 0);
    EXPECT_EQ(CxRenderStateSlot(GPURS_FILLMODE), 1);
    EXPECT_EQ(CxRenderStateSlot(GPURS_BLENDOPALPHA), 102);
    EXPECT_EQ(CxRenderStateSlot(10), -1);     // not a render state
    EXPECT_EQ(CxRenderStateSlot(5000), -1);
    EXPECT_EQ(CxTextureStageStateSlot(GPUTSS_COLOROP), 0);
    EXPECT_EQ(CxTextureStageStateSlot(GPUTSS_TEXCOORDINDEX), 10);
    EXPECT_EQ(CxTextureStageStateSlot(GPUTSS_CONSTANT), 17);
    EXPECT_EQ(CxTransformSlot(GPUTS_WORLD), 0);
    EXPECT_EQ(CxTransformSlot(GPUTS_TEXTURE7), 10);
    for (int slot = 0; slot < CX_D3D_RENDER_STATES; ++slot) EXPECT_EQ(CxRenderStateSlot(CxRenderStateOfSlot(slot)), slot);
}

TEST(CxD3DDevice, OnlyChangesReachTheDevice)
{
    FakeGpuDevice fake;
    CxD3DDevice d3d(&fake);
    EXPECT_TRUE(fake.calls.empty());                        // construction sends nothing
    d3d.SetRenderState(GPURS_LIGHTING, 1);                  // the cached default
    d3d.SetRenderState(GPURS_CULLMODE, GPUCULL_CCW);
    d3d.SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_MODULATE);
    d3d.SetTextureStageState(1, GPUTSS_TEXCOORDINDEX, 1);
    EXPECT_TRUE(fake.calls.empty());
    d3d.SetRenderState(GPURS_LIGHTING, 0);
    d3d.SetRenderState(GPURS_LIGHTING, 0);
    EXPECT_EQ(fake.Count("SetRenderState"), 1u);
    uint32_t value = 7;
    EXPECT_EQ(d3d.GetRenderState(GPURS_LIGHTING, &value), 0);
    EXPECT_EQ(value, 0u);
    // A number without a slot goes to the device and disturbs no cached state.
    d3d.SetRenderState(10, 1);
    EXPECT_EQ(fake.Count("SetRenderState"), 2u);
    d3d.GetRenderState(GPURS_ZENABLE, &value);
    EXPECT_EQ(value, 0u);
}

TEST(CxD3DDevice, PopSendsOnlyTheDifferences)
{
    FakeGpuDevice fake;
    CxD3DDevice d3d(&fake);
    EXPECT_TRUE(d3d.PushRenderStates());
    d3d.SetRenderState(GPURS_ALPHABLENDENABLE, 1);
    d3d.SetRenderState(GPURS_CULLMODE, GPUCULL_NONE);
    d3d.SetRenderState(GPURS_ZFUNC, GPUCMP_LESSEQUAL);     // unchanged: never sent
    fake.Forget();
    EXPECT_EQ(d3d.PopRenderStates(), 1);
    ASSERT_EQ(fake.calls.size(), 2u);
    EXPECT_EQ(fake.calls[0].a, GPURS_CULLMODE);            // numeric order: CULLMODE 22 before ALPHABLENDENABLE 27
    EXPECT_EQ(fake.calls[0].b, 3u);
    EXPECT_EQ(fake.calls[1].a, GPURS_ALPHABLENDENABLE);
    EXPECT_EQ(fake.calls[1].b, 0u);

    d3d.PushTextureStageStates(0);
    d3d.SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG1);
    fake.Forget();
    d3d.PopTextureStageStates(0);
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0].c, uint32_t(GPUTOP_MODULATE));
}

TEST(CxD3DDevice, StacksRefusePushesBeyond31AndPopsBelowTheDefaults)
{
    FakeGpuDevice fake;
    CxD3DDevice d3d(&fake);
    for (int i = 0; i < 31; ++i) ASSERT_TRUE(d3d.PushRenderStates()) << i;
    EXPECT_FALSE(d3d.PushRenderStates());   // the 32nd, and with it the 33rd
    EXPECT_FALSE(d3d.PushRenderStates());
    EXPECT_EQ(d3d.GetRenderStateDepth(), 32);
    for (int i = 0; i < 31; ++i) d3d.PopRenderStates();
    fake.Forget();
    EXPECT_EQ(d3d.PopRenderStates(), 1);     // at the defaults: nothing happens
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(d3d.PopTransform(GPUTS_WORLD), 0);
    EXPECT_EQ(d3d.PopMaterial(), 0);
    d3d.PopTextureStageStates(0);
    EXPECT_TRUE(fake.calls.empty());
    for (int i = 0; i < 31; ++i) ASSERT_TRUE(d3d.PushTransform(GPUTS_VIEW));
    EXPECT_FALSE(d3d.PushTransform(GPUTS_VIEW));
    EXPECT_TRUE(d3d.PushTransform(GPUTS_PROJECTION));   // each stack counts alone
}

TEST(CxD3DDevice, TransformsAreAlwaysSentAndMultiplyOnTheLeft)
{
    FakeGpuDevice fake;
    CxD3DDevice d3d(&fake);
    GpuMatrix translation;
    translation.m[3][0] = 5, translation.m[3][1] = -2;
    d3d.MultiplyTransform(GPUTS_WORLD, translation);   // on identity: T itself
    ASSERT_EQ(fake.Count("SetTransform"), 1u);
    EXPECT_EQ(fake.lastTransform.m[3][0], 5);
    EXPECT_EQ(fake.lastTransform.m[3][1], -2);
    GpuMatrix scale;
    scale.m[0][0] = 2;
    d3d.MultiplyTransform(GPUTS_WORLD, scale);           // S × T: scaled, then moved
    GpuMatrix top;
    d3d.GetTransform(GPUTS_WORLD, &top);
    EXPECT_EQ(top.m[0][0], 2);
    EXPECT_EQ(top.m[3][0], 5);
    d3d.PushTransform(GPUTS_WORLD);
    d3d.SetTransform(GPUTS_WORLD, GpuMatrix{});
    fake.Forget();
    d3d.PopTransform(GPUTS_WORLD);                       // always sends the new top
    ASSERT_EQ(fake.Count("SetTransform"), 1u);
    EXPECT_EQ(fake.lastTransform.m[3][0], 5);
}

TEST(CxD3DDevice, TexturesAreCachedOnlyWhenTheDeviceTakesThem)
{
    FakeGpuDevice fake;
    CxD3DDevice d3d(&fake);
    FakeTexture texture(4, 4, GPUFMT_A8R8G8B8);
    EXPECT_EQ(d3d.SetTexture(0, nullptr), 0);            // none is cached after a reset
    EXPECT_EQ(fake.Count("SetTexture"), 0u);
    fake.textureAnswer = GPU_ERR_INVALID_CALL;
    EXPECT_EQ(d3d.SetTexture(0, &texture), GPU_ERR_INVALID_CALL);
    EXPECT_EQ(d3d.GetTexture(0), nullptr);
    fake.textureAnswer = GPU_OK;
    EXPECT_EQ(d3d.SetTexture(0, &texture), GPU_OK);      // tried again
    EXPECT_EQ(fake.Count("SetTexture"), 2u);
    EXPECT_EQ(d3d.SetTexture(0, &texture), 0);           // cached: nothing sent
    EXPECT_EQ(fake.Count("SetTexture"), 2u);
    d3d.ResetStates(&fake);
    EXPECT_EQ(d3d.GetTexture(0), nullptr);
}

TEST(CxD3DDevice, ReapplySendsEveryCachedStateButNoTransformOrTexture)
{
    FakeGpuDevice fake;
    CxD3DDevice d3d(&fake);
    d3d.SetRenderState(GPURS_ALPHABLENDENABLE, 1);
    d3d.LightEnable(2, true);
    fake.Forget();
    d3d.ReapplyStates();
    EXPECT_EQ(fake.Count("SetMaterial"), 1u);
    EXPECT_EQ(fake.Count("SetRenderState"), size_t(CX_D3D_RENDER_STATES));
    EXPECT_EQ(fake.Count("SetTextureStageState"), size_t(CX_D3D_STAGES * CX_D3D_STAGE_STATES));
    EXPECT_EQ(fake.Count("LightEnable"), 8u);
    EXPECT_EQ(fake.Count("SetLight"), 8u);
    EXPECT_EQ(fake.Count("SetTransform"), 0u);
    EXPECT_EQ(fake.Count("SetTexture"), 0u);
    bool blendSent = false, lightSent = false;
    for (const FakeCall& c : fake.calls) {
        blendSent |= c.name == "SetRenderState" && c.a == GPURS_ALPHABLENDENABLE && c.b == 1;
        lightSent |= c.name == "LightEnable" && c.a == 2 && c.b == 1;
    }
    EXPECT_TRUE(blendSent);
    EXPECT_TRUE(lightSent);
}
