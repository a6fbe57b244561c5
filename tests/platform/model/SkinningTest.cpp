// The skinning job's vector form against its scalar reference.  The rig is
// made of numbers, not a file: 20 random affine composites (rotation-ish
// upper 3x3 with entries in [-1.5, 1.5], translation in [-3, 3]) behind a
// bone table of 24 entries, four of which name no matrix; each vertex takes
// one to four influences, some bytes point past the table, some weights are
// zero and the count is odd so that no form ends on a whole vector.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/model/ModelMesh.h"

namespace {

TEST(Skinning, RunFollowsTheReferenceInBothModes)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1.5f, 1.5f), far(-3, 3), weight(0.05f, 1);
    std::vector<MdlMatrix4> matrices(20);
    for (MdlMatrix4& m : matrices) {
        for (int i = 0; i < 16; ++i) m.m[i] = i % 4 == 3 ? 0.0f : unit(random);
        m.m[12] = far(random), m.m[13] = far(random), m.m[14] = far(random), m.m[15] = 1;
    }
    std::vector<int> boneIndices(24);
    for (int i = 0; i < 24; ++i) boneIndices[size_t(i)] = i % 6 == 5 ? 40 + i : int(random() % 20);
    std::vector<MdlSkinnedVertex> vertices(1001);
    for (MdlSkinnedVertex& v : vertices) {
        v = MdlSkinnedVertex{{far(random), far(random), far(random)}, {unit(random), unit(random), unit(random)},
                             {unit(random), unit(random)}, {}, {}};
        int influences = 1 + int(random() % MDL_MAX_INFLUENCES);
        float sum = 0;
        for (int k = 0; k < influences; ++k) {
            v.bones[k] = uint8_t(random() % 10 == 0 ? 200 + k : random() % 24);
            v.weights[k] = random() % 7 == 0 ? 0.0f : weight(random);
            sum += v.weights[k];
        }
        for (int k = 0; k < influences && sum > 0; ++k) v.weights[k] /= sum;
    }
    for (MdlDeformMode mode : {MDL_DEFORM_POSITION, MDL_DEFORM_POSITION_NORMAL}) {
        std::vector<MdlVertexPNT> fast(vertices.size()), reference(vertices.size());
        MdlSkinningJob job;
        job.mode = mode;
        job.vertexCount = int(vertices.size());
        job.source = vertices.data();
        job.boneIndexCount = int(boneIndices.size());
        job.boneIndices = boneIndices.data();
        job.matrixCount = int(matrices.size());
        job.matrices = matrices.data();
        job.destination = reference.data();
        ASSERT_TRUE(job.RunReference());
        job.destination = fast.data();
        ASSERT_TRUE(job.Run());
        for (size_t v = 0; v < vertices.size(); ++v) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(fast[v].position[c], reference[v].position[c], 1e-5f) << "vertex " << v << " mode " << mode;
                ASSERT_NEAR(fast[v].normal[c], reference[v].normal[c], 1e-5f) << "vertex " << v << " mode " << mode;
            }
            ASSERT_EQ(fast[v].uv[0], vertices[v].uv[0]);
            ASSERT_EQ(fast[v].uv[1], vertices[v].uv[1]);
        }
    }
}

}  // namespace
