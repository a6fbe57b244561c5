// The score display of a room: the score as "%d", centred in the [Score]
// area, rendered into a surface of its own whenever it changes.  A bulge
// shows it at a larger point size that shrinks back by one point every
// 50 ms to the configured size.
#pragma once
#include "core/CxTimer.h"
#include "display/CxSprite.h"
#include "foundation/CxString.h"

class CKelScoreText : public CxSprite, public CxTimerListener {
public:
    static constexpr uint32_t kBulgeStep = 50;
    static constexpr int32_t kMaxSide = 4096;   // a larger area is refused: its surface would be huge

    ~CKelScoreText() override;

    // `font` is a font handle (-1: the default font); the area is in the
    // parent's coordinates; the colour is red, green, blue.
    void Configure(int32_t font, const CxRect& area, const int (&colour)[3], int pointSize);
    void SetValue(int32_t value);
    void Bulge(int pointSize);
    void StopBulge();
    void OnTimer(CxTimerCallBack* timer) override;

    const CxString& GetText() const { return text_; }
    int GetCurrentPointSize() const { return current_; }
    bool IsBulging() const { return timer_ != nullptr; }

private:
    void Render();

    CxString text_;
    int32_t font_ = -1;
    int colour_[3] = {0, 0, 0};
    int pointSize_ = 0;
    int current_ = 0;
    CxTimerCallBack* timer_ = nullptr;
};
