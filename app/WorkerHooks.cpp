#include "app/WorkerHooks.h"

#include <mutex>

namespace WorkerHooks {

namespace {

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

Hook& Current()
{
    static Hook hook;
    return hook;
}

}  // namespace

void Set(Hook hook)
{
    std::lock_guard<std::mutex> guard(Lock());
    Current() = std::move(hook);
}

void Reach(Point point)
{
    Hook hook;
    {
        std::lock_guard<std::mutex> guard(Lock());
        if (!Current())
            return;
        hook = Current();
    }
    hook(point);
}

}  // namespace WorkerHooks
