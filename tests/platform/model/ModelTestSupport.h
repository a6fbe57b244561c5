// Shared pieces of the model tests: a fixture whose host counts every
// block and records every reported error (so each test also proves it
// gives back all it took), and helpers to load converted files.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GlbWriter.h"
#include "platform/model/ModelRuntime.h"

struct ReportedError {
    int code;
    std::string message;
};

class ModelTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Reads and converts to the engine's basis (mirror Z); fails the test
    // and returns null when the file is refused.
    MdlFile* Load(const std::vector<uint8_t>& bytes);
    const MdlModel* ModelOf(MdlFile* file);
    const MdlAnimation* AnimationOf(MdlFile* file);
    int Bone(const MdlSkeleton* skeleton, const char* name);

    std::vector<MdlFile*> files_;
    static long liveBlocks_;
    static std::vector<ReportedError> errors_;
    static std::vector<std::string> allocationTags_;

private:
    static void* CountingAllocate(void*, size_t size, const char* file, int line);
    static void CountingRelease(void*, void* block, const char* file, int line);
    static void RecordError(void*, int code, const char* message);
};

// Expects every element of two matrices to agree within 1e-4.
void ExpectMatrixNear(const MdlMatrix4& actual, const float (&expected)[16]);
void ExpectVectorNear(const float* actual, float x, float y, float z);
