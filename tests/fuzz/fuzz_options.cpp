// Options parser: any bytes must load without crashing, and whatever loaded
// must survive the typed readers and a write-back in memory.
#include "core/CxOptions.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CxOptions options;
    options.LoadFromMemory(data, size);
    // Lookups are linear, so reading back every key of a huge input would be
    // quadratic: the first few keys exercise the typed readers just as well.
    int budget = 64;
    for (auto* node = options.Sections().GetHead(); node && budget > 0; node = node->next) {
        CxOptionSection* section = node->value;
        // Walk the nodes: a lookup moves the section's First/Next cursor.
        for (auto* n = section->variables.GetHead(); n && budget-- > 0; n = n->next) {
            CxOptionVariable* v = n->value;
            CxRect rect;
            CxPoint point;
            CxVector3 vector;
            CxLinkedList<int32_t> list;
            options.GetRect(section->name, v->key, &rect, CxRect{});
            options.GetPoint(section->name, v->key, &point, CxPoint{});
            options.GetVector(section->name, v->key, &vector, CxVector3{});
            options.GetIntList(section->name, v->key, &list);
        }
    }
    options.SetString("Fuzz", "Key", "Value");
    options.DeleteSection("Fuzz");
    return 0;
}
