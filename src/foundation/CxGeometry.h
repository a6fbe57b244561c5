// Small value types.  A CxRect is inclusive: width = right - left + 1, and a
// new rectangle (0, 0, -1, -1) is empty.
#pragma once
#include <cstdint>

struct CxPoint {
    int32_t x = 0, y = 0;
    bool operator==(const CxPoint&) const = default;
};

struct CxSize {
    int32_t width = 0, height = 0;
    bool operator==(const CxSize&) const = default;
};

struct CxRect {
    int32_t left = 0, top = 0, right = -1, bottom = -1;

    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
    bool IsEmpty() const { return right < left || bottom < top; }
    bool Contains(CxPoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
    bool operator==(const CxRect&) const = default;
};

// Helpers for inclusive rectangles; an empty one meets nothing.
CxRect IntersectRects(const CxRect& a, const CxRect& b);
CxRect UnionRects(const CxRect& a, const CxRect& b);
bool   RectsIntersect(const CxRect& a, const CxRect& b);
CxRect OffsetRect(const CxRect& r, int32_t dx, int32_t dy);
