// A container that records what its controls report to it.
#pragma once
#include "display/CxSprite.h"

#include <vector>

struct RecordedNotify {
    int32_t kind;
    CxDisplayObject* sender;
    int32_t code;
    int32_t extra;
    bool operator==(const RecordedNotify&) const = default;
};

class NotifyRecorder : public CxSprite {
public:
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override
    {
        notes.push_back({kind, sender, code, extra});
    }
    void OnKeyDown(KeyCode key, uint32_t) override { keys.push_back(key); }

    std::vector<RecordedNotify> notes;
    std::vector<KeyCode> keys;
};
