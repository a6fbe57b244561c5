// Ray tests for picking and the transform maths the pose hook uses.
#include <cmath>

#include "ModelTestSupport.h"

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct BoxRay {
    const char* name;
    float origin[3];
    float direction[3];
    bool hit;
    float distance;
};

// Box [-1, 1]^3 moved to x = 10 and doubled in size: it spans x 8..12.
TEST(ModelMathTest, RayAgainstAPlacedBox)
{
    MdlMatrix4 boxToWorld = {{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 10, 0, 0, 1}};
    const float low[3] = {-1, -1, -1}, high[3] = {1, 1, 1};
    const BoxRay rays[] = {
        {"head on", {0, 0, 0}, {1, 0, 0}, true, 8},
        {"unnormalised direction", {0, 0, 0}, {2, 0, 0}, true, 4},
        {"from inside", {10, 0, 0}, {0, 1, 0}, true, 0},
        {"pointing away", {0, 0, 0}, {-1, 0, 0}, false, 0},
        {"passing above", {0, 3, 0}, {1, 0, 0}, false, 0},
        {"parallel to a face, inside its slab", {0, 1.5f, 0}, {1, 0, 0}, true, 8},
        {"grazing diagonally", {7, -3, 0}, {1, 1, 0}, true, 1},
    };
    for (const BoxRay& ray : rays) {
        float distance = -1;
        EXPECT_EQ(MdlRayIntersectsBoxAt(&boxToWorld, low, high, ray.origin, ray.direction, &distance), ray.hit) << ray.name;
        if (ray.hit) {
            EXPECT_NEAR(distance, ray.distance, 1e-5f) << ray.name;
        }
    }
    MdlMatrix4 flat = {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    const float origin[3] = {0, 0, 0}, along[3] = {1, 0, 0};
    EXPECT_FALSE(MdlRayIntersectsBoxAt(&flat, low, high, origin, along, nullptr));   // a singular placement hides the box
}

// Triangle in the z = 0 plane with normal (v1-v0) x (v2-v0) = +Z.
TEST(ModelMathTest, RayAgainstATriangleTellsItsSide)
{
    const float v0[3] = {0, 0, 0}, v1[3] = {1, 0, 0}, v2[3] = {0, 1, 0};
    const float above[3] = {0.25f, 0.25f, 2}, down[3] = {0, 0, -1}, below[3] = {0.25f, 0.25f, -3}, up[3] = {0, 0, 1};
    MdlTriangleHit hit{};
    ASSERT_EQ(MdlRayIntersectsTriangleAt(v0, v1, v2, above, down, &hit), 1);
    EXPECT_NEAR(hit.distance, 2, 1e-6f);
    EXPECT_FALSE(hit.backFacing);   // travelling against the normal: the front
    ASSERT_EQ(MdlRayIntersectsTriangleAt(v0, v1, v2, below, up, &hit), 1);
    EXPECT_NEAR(hit.distance, 3, 1e-6f);
    EXPECT_TRUE(hit.backFacing);
    const float outside[3] = {0.75f, 0.75f, 2}, sideways[3] = {1, 0, 0};
    EXPECT_EQ(MdlRayIntersectsTriangleAt(v0, v1, v2, outside, down, &hit), 0);   // past the long edge
    EXPECT_EQ(MdlRayIntersectsTriangleAt(v0, v1, v2, above, up, &hit), 0);       // behind the origin
    EXPECT_EQ(MdlRayIntersectsTriangleAt(v0, v1, v2, above, sideways, &hit), 0); // parallel
}

// Post-multiplying turns the second transform by the first: a quarter
// turn about Z, then a step (1, 0, 0) in that turned frame, lands at
// (0, 1, 0) past the first position.
TEST(ModelMathTest, PostMultiplyComposesInTheFirstFrame)
{
    const float s = 0.70710678f;
    MdlTransform turn = {{5, 0, 0}, {0, 0, s, s}, {2, 2, 2}};
    MdlTransform step;
    MdlMakeIdentity(&step);
    step.position[0] = 1;
    step.orientation[0] = s, step.orientation[3] = s;   // quarter turn about X
    MdlPostMultiplyBy(&turn, &step);
    ExpectVectorNear(turn.position, 5, 2, 0);            // scaled by 2 along the turned x
    EXPECT_NEAR(turn.orientation[0], 0.5f, 1e-6f);       // (0,0,s,s) * (s,0,0,s)
    EXPECT_NEAR(turn.orientation[1], 0.5f, 1e-6f);
    EXPECT_NEAR(turn.orientation[2], 0.5f, 1e-6f);
    EXPECT_NEAR(turn.orientation[3], 0.5f, 1e-6f);
    // The composite of the result equals the product of the composites, step first.
    MdlTransform a = {{5, 0, 0}, {0, 0, s, s}, {2, 2, 2}}, b = step;
    MdlMatrix4 ma, mb, product, composed;
    MdlBuildCompositeTransform4x4(&a, &ma);
    MdlBuildCompositeTransform4x4(&b, &mb);
    MdlMultiply4x4(&mb, &ma, &product);
    MdlBuildCompositeTransform4x4(&turn, &composed);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(composed.m[i], product.m[i], 1e-5f) << i;
}

TEST(ModelMathTest, AffineInverseUndoesTheMatrix)
{
    MdlTransform transform = {{1, -2, 3}, {0.1f, 0.7f, -0.2f, 0.5f}, {1, 3, 0.5f}};
    MdlNormalizeQuaternion(transform.orientation);
    MdlMatrix4 matrix, inverse, product;
    MdlBuildCompositeTransform4x4(&transform, &matrix);
    ASSERT_TRUE(MdlInvertAffine4x4(&matrix, &inverse));
    MdlMultiply4x4(&matrix, &inverse, &product);
    ExpectMatrixNear(product, kIdentity);
    float q[4], m3[9];
    MdlQuaternionToMatrix3(transform.orientation, m3);
    MdlMatrix3ToQuaternion(m3, q);
    float dot = 0;
    for (int i = 0; i < 4; ++i) dot += q[i] * transform.orientation[i];
    EXPECT_NEAR(std::fabs(dot), 1, 1e-5f);   // the same rotation, either sign
}

TEST(ModelMathTest, SlerpTakesTheShortWay)
{
    const float identity[4] = {0, 0, 0, 1}, negatedQuarter[4] = {0, 0, -0.70710678f, -0.70710678f};
    float half[4];
    MdlSlerp(identity, negatedQuarter, 0.5f, half);   // -q is the quarter turn too: halfway is 45 degrees
    EXPECT_NEAR(std::fabs(half[2]), std::sin(M_PI / 8), 1e-5);
    EXPECT_NEAR(std::fabs(half[3]), std::cos(M_PI / 8), 1e-5);
}

}  // namespace
