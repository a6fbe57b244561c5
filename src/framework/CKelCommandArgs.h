// The arguments of command events, as rooms and dialogs read them: texts,
// where a missing number reads as 0 and a missing name matches nothing.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <cstdlib>

using CKelArgs = CxLinkedList<CxString>;

inline const char* CommandArg(CKelArgs& args, int index)
{
    auto* node = args.GetHead();
    for (int i = 0; node && i < index; ++i) node = node->next;
    return node ? node->value.Text() : nullptr;
}

inline int32_t CommandInt(CKelArgs& args, int index)
{
    const char* text = CommandArg(args, index);
    return text ? int32_t(strtol(text, nullptr, 10)) : 0;
}

// The optional flash interval: 500 ms when absent.
inline uint32_t CommandFlashInterval(CKelArgs& args, int index)
{
    const char* text = CommandArg(args, index);
    return text ? uint32_t(strtoul(text, nullptr, 10)) : 500;
}
