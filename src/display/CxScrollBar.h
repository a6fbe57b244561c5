// Scroll bars: a track with a decrement and an increment button at its ends
// and a draggable thumb, mapping the thumb's place to an integer position in
// [minimum, maximum].
//
// The base class lies horizontally; the vertical bar is the same with x and
// y, width and height exchanged.  Terms along the bar: L and R are the
// decrement and increment button lengths (or the stored button length when a
// button is missing), T the thumb length, W the bar length, N the number of
// values (maximum - minimum + 1).  The page-decrement area runs from L to
// the thumb, the page-increment area from the thumb to W - R - 1.
//
// Holding a button or the track repeats its step on every tick of a 100 ms
// timer from the fifth tick on.  Position changes go to the listener when
// one is set, else to the parent as OnNotify (1, bar, position, 0).
//
// The position operations are named SetScrollPosition / GetScrollPosition:
// every display object already has a SetPosition and GetPosition for where
// it stands.
#pragma once
#include "core/CxTimer.h"
#include "display/CxButton.h"
#include "display/CxNotify.h"

constexpr uint32_t SCROLLBAR_TYPE = 0x10;   // type-mask bit of scroll bars (with bit 0, sprite)
constexpr uint32_t kScrollRepeatInterval = 100;
constexpr int32_t kScrollRepeatDelay = 4;

enum CxScrollAction : int32_t {
    SCROLL_NONE = 0, SCROLL_LINE_DEC = 1, SCROLL_PAGE_DEC = 2, SCROLL_PAGE_INC = 3, SCROLL_LINE_INC = 4,
    SCROLL_DRAG = 5,
};

class CxScrollBar;

class CxScrollBarListener {
public:
    virtual ~CxScrollBarListener() = default;
    virtual void OnScroll(CxScrollBar* bar, int32_t position) = 0;
};

class CxScrollBar : public CxSprite, public CxTimerListener {
public:
    CxScrollBar();
    ~CxScrollBar() override;

    CxDisplayObject* HitTest(CxPoint globalPoint, uint32_t typeMask) override;
    void Enable() override;
    void Disable() override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    void OnMouseMove(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point) override;
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
    void OnTimer(CxTimerCallBack* timer) override;

    virtual int  Load(const char* decrementPath, const char* incrementPath, const char* thumbPath);
    virtual int  LoadDecrementButton(CxDrawSurface* surface);
    virtual int  LoadDecrementButton(const char* path);
    virtual int  LoadIncrementButton(CxDrawSurface* surface);
    virtual int  LoadIncrementButton(const char* path);
    virtual int  LoadThumb(CxDrawSurface* surface);
    virtual int  LoadThumb(const char* path);
    virtual void SetScrollPosition(int32_t position);
    virtual int32_t GetScrollPosition() const { return position_; }
    virtual CxRect GetPageDecrementRect() const;
    virtual CxRect GetPageIncrementRect() const;
    virtual void LayoutButtons();
    virtual int32_t PositionFromPoint(CxPoint point) const;

    void SetRange(int32_t minimum, int32_t maximum);
    int32_t GetMinimum() const { return minimum_; }
    int32_t GetMaximum() const { return maximum_; }
    void SetLineStep(int32_t step) { lineStep_ = step; }
    void SetPageStep(int32_t step) { pageStep_ = step; }
    void SetButtonLength(int32_t length) { buttonLength_ = length; }
    void SetListener(CxScrollBarListener* listener) { listener_ = listener; }
    CxButton* GetDecrementButton() const { return decrement_; }
    CxButton* GetIncrementButton() const { return increment_; }
    CxSprite* GetThumb() const { return thumb_; }
    int32_t GetAction() const { return action_; }
    bool IsDragging() const { return dragging_; }

protected:
    explicit CxScrollBar(bool vertical);
    // Geometry along and across the bar.
    int32_t Along(CxPoint p) const { return vertical_ ? p.y : p.x; }
    int32_t LengthOf(const CxDisplayObject* o) const { return vertical_ ? o->GetHeight() : o->GetWidth(); }
    int32_t ThicknessOf(const CxDisplayObject* o) const { return vertical_ ? o->GetWidth() : o->GetHeight(); }
    CxPoint Point(int32_t along, int32_t across) const { return vertical_ ? CxPoint{across, along} : CxPoint{along, across}; }
    CxRect Span(int32_t from, int32_t to) const;
    int32_t DecrementLength() const { return decrement_ ? LengthOf(decrement_) : buttonLength_; }
    int32_t IncrementLength() const { return increment_ ? LengthOf(increment_) : buttonLength_; }
    int32_t ThumbLength() const { return thumb_ ? LengthOf(thumb_) : 0; }
    int32_t ThumbStart(int32_t position) const;
    int  AttachButton(CxButton*& slot, CxDrawSurface* surface, const char* what);
    template <typename Attach> int LoadPart(const char* path, Attach attach);
    void StartRepeat();
    void StopRepeat();
    void Step(int32_t action);

    bool vertical_;
    CxScrollBarListener* listener_ = nullptr;
    CxTimerCallBack repeat_;
    CxButton* decrement_ = nullptr;
    CxButton* increment_ = nullptr;
    CxSprite* thumb_ = nullptr;
    CxPoint lastPoint_;
    int32_t minimum_ = 0;
    int32_t maximum_ = 0;
    int32_t position_ = -1;
    int32_t lineStep_ = 1;
    int32_t pageStep_ = 1;
    int32_t buttonLength_ = 0;
    int32_t count_ = 1;
    bool dragging_ = false;
    int32_t action_ = SCROLL_NONE;
    int32_t countdown_ = 0;
    int32_t countdownStart_ = kScrollRepeatDelay;
};

class CxHorizontalScrollBar : public CxScrollBar {
public:
    CxHorizontalScrollBar() : CxScrollBar(false) {}
};

class CxVerticalScrollBar : public CxScrollBar {
public:
    CxVerticalScrollBar() : CxScrollBar(true) {}
};
