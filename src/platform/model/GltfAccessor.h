// Typed reads of glTF accessors.  Every read checks the accessor, its
// buffer view and buffer against each other before touching a byte, so a
// hostile offset, stride or count gives an error and never a stray read.
#pragma once
#include "platform/model/GltfDocument.h"

// Reads `components` values per element as floats.  Float components are
// taken as they are (and must be finite); with `allowNormalized`,
// normalised integer components map to [0, 1] or [-1, 1].
bool GltfReadFloats(const GltfDocument& document, int accessor, int components, bool allowNormalized,
                    std::vector<float>* values, const char* what, MdlResult* result);
// Reads unsigned integer components (unsigned byte, short or int).
bool GltfReadUnsigned(const GltfDocument& document, int accessor, int components, std::vector<uint32_t>* values,
                      const char* what, MdlResult* result);
// Element count of a valid accessor index, else 0.
size_t GltfAccessorCount(const GltfDocument& document, int accessor);
