#include "core/ReadAhead.h"

#include <sys/resource.h>

namespace orbisk {

namespace {

std::atomic<int> liveReaders { 0 };

struct rusage UsageOfThisThread()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage;
}

} // namespace

StorageWaitProbe::StorageWaitProbe()
{
    const struct rusage usage = UsageOfThisThread();
    blocksRead_ = usage.ru_inblock;
    voluntarySwitches_ = usage.ru_nvcsw;
}

bool StorageWaitProbe::WaitedSinceLastLook(std::size_t items)
{
    const struct rusage usage = UsageOfThisThread();
    const bool waited
        = usage.ru_inblock != blocksRead_ || usage.ru_nvcsw - voluntarySwitches_ >= long(std::max<std::size_t>(items / 2, 1));
    blocksRead_ = usage.ru_inblock;
    voluntarySwitches_ = usage.ru_nvcsw;
    return waited;
}

bool ReaderThreadCount::TryAdd()
{
    if (liveReaders.fetch_add(1) < MaxLiveReaders)
        return true;
    liveReaders.fetch_sub(1);
    return false;
}

void ReaderThreadCount::Remove() { liveReaders.fetch_sub(1); }

int ReaderThreadCount::Live() { return liveReaders.load(); }

} // namespace orbisk
