#include "foundation/CxGeometry.h"

#include <algorithm>

bool RectsIntersect(const CxRect& a, const CxRect& b)
{
    return !a.IsEmpty() && !b.IsEmpty() && a.left <= b.right && b.left <= a.right && a.top <= b.bottom &&
           b.top <= a.bottom;
}

CxRect IntersectRects(const CxRect& a, const CxRect& b)
{
    if (!RectsIntersect(a, b)) return CxRect{};
    return CxRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
}

CxRect UnionRects(const CxRect& a, const CxRect& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return CxRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

CxRect OffsetRect(const CxRect& r, int32_t dx, int32_t dy)
{
    return CxRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}
