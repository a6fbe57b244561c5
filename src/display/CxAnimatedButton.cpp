#include "display/CxAnimatedButton.h"

int CxAnimatedButton::SetState(int32_t state)
{
    int code = CxButton::SetState(state);
    if (code != 0 && GetState() != state) return code;   // refused: keep what plays
    animation_.Stop();
    if (animation_.GetNumPaths() > 0) animation_.Play(GetStateMapEntry(state));
    return code;
}

void CxAnimatedButton::LoadAnimation(const CxAnimationPath* paths, int32_t count)
{
    animation_.RemoveAllPaths();
    animation_.AddPathsToTail(paths, count);
}
