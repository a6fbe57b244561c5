// The .glb container checked by our own code before any parser sees it:
// header, chunk bounds and alignment, and how deeply the JSON nests (the
// parser recurses on nesting, so depth is bounded first).
#pragma once
#include "platform/model/ModelBase.h"

struct GlbChunks {
    const uint8_t* json;
    size_t jsonSize;
    const uint8_t* bin;    // null when the file has no binary chunk
    size_t binSize;
    size_t totalSize;      // the header's length: the bytes the file spans
};

bool GlbSplitChunks(const uint8_t* bytes, size_t size, GlbChunks* chunks, MdlResult* result);
bool GlbCheckJsonDepth(const uint8_t* json, size_t size, int maxDepth, MdlResult* result);
