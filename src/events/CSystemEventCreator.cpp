#include "events/CSystemEventCreator.h"
#include "core/CxError.h"
#include "events/CMovieEvent.h"
#include "events/CxEventKinds.h"
#include "events/CxEventSequence.h"
#include "foundation/Qorstr.h"

#include <cstdlib>

namespace {
// The argument at `index`, or null.
const char* Argument(CxLinkedList<CxString>& arguments, int index)
{
    auto* node = arguments.GetHead();
    for (int i = 0; node && i < index; ++i) node = node->next;
    return node ? node->value.Text() : nullptr;
}

// One of the file arguments after the first: number (random mod (count - 1)) + 1.
const char* RandomFile(CxLinkedList<CxString>& arguments)
{
    int count = arguments.GetCount();
    return Argument(arguments, rand() % (count - 1) + 1);
}

bool IsSoundKind(const char* kind)
{
    static const char* const kKinds[] = {"PlaySound", "PlayThisSound", "StartSound", "StartThisSound",
                                         "PlaySoundIfChannelEmpty", "StartSoundIfChannelEmpty"};
    for (const char* name : kKinds)
        if (TextEquals(kind, name, true)) return true;
    return false;
}

CxEvent* MakeSound(const char* kind, CxLinkedList<CxString>& arguments)
{
    if (arguments.GetCount() < 2) return nullptr;
    uint32_t flags = 0;
    if (TextContains(kind, "This", true)) flags |= SOUND_EVENT_FLUSH_CHANNEL;
    if (TextContains(kind, "Start", true)) flags |= SOUND_EVENT_NO_WAIT;
    if (TextContains(kind, "Empty", true)) flags |= SOUND_EVENT_IF_CHANNEL_EMPTY;
    return new CSoundEvent(RandomFile(arguments), atoi(Argument(arguments, 0)), flags);
}

CxEvent* MakeSleepRandomRange(CxLinkedList<CxString>& arguments)
{
    if (arguments.GetCount() < 2) return nullptr;
    int low = atoi(Argument(arguments, 0)), high = atoi(Argument(arguments, 1));
    int span = high - low + 1;
    return new CTimerEvent(uint32_t(span > 0 ? low + rand() % span : low));
}

CxEvent* MakeSequence(CxLinkedList<CxString>& arguments)
{
    if (arguments.GetCount() < 1) return nullptr;
    int index = rand() % arguments.GetCount();
    auto* sequence = new CxEventSequenceFile;
    sequence->Load(Argument(arguments, index), &GetGlobalInterpolator());
    return sequence;
}
}  // namespace

CxEvent* CSystemEventCreator::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    if (!TextEquals(creatorName, "system", true) || !kind) return nullptr;
    int count = arguments.GetCount();
    if (IsSoundKind(kind)) return MakeSound(kind, arguments);
    if (TextEquals(kind, "Sleep", true))
        return count >= 1 ? new CTimerEvent(uint32_t(atoi(Argument(arguments, 0)))) : nullptr;
    if (TextEquals(kind, "SleepRandomRange", true)) return MakeSleepRandomRange(arguments);
    if (TextEquals(kind, "Notify", true))
        return count == 1 ? new CInfoEvent(atoi(Argument(arguments, 0))) : nullptr;
    if (TextEquals(kind, "WaitForChannel", true))
        return count >= 1 ? new CWaitForChannelEvent(uint32_t(strtoul(Argument(arguments, 0), nullptr, 10))) : nullptr;
    if (TextEquals(kind, "PlayMovie", true)) {
        if (count < 5) return nullptr;
        return MakeMovieEvent(Argument(arguments, 0), atoi(Argument(arguments, 1)), atoi(Argument(arguments, 2)),
                              atoi(Argument(arguments, 3)), atoi(Argument(arguments, 4)),
                              count > 5 ? atoi(Argument(arguments, 5)) : 0);
    }
    if (TextEquals(kind, "Sequence", true)) return MakeSequence(arguments);
    return new CCommandEvent(handler_, kind, arguments);
}
