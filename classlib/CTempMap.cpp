#include "CTempMap.h"
#include <map>
#include <memory>
#include <utility>

namespace {

typedef std::pair<const void*, const void*> TempKey;

struct ThreadTemps {
    std::map<TempKey, std::unique_ptr<CObject>> objects;
    int loopDepth = 0;
};

ThreadTemps& Temps()
{
    thread_local ThreadTemps temps;
    return temps;
}

}  // namespace

CObject* CTempMap::Find(const void* kind, const void* h)
{
    auto& objects = Temps().objects;
    auto it = objects.find(TempKey(kind, h));
    return it == objects.end() ? nullptr : it->second.get();
}

void CTempMap::Add(const void* kind, const void* h, CObject* p)
{
    Temps().objects[TempKey(kind, h)].reset(p);
}

void CTempMap::EnterLoop()
{
    ++Temps().loopDepth;
}

void CTempMap::LeaveLoop()
{
    --Temps().loopDepth;
}

void CTempMap::OnIdle()
{
    if (Temps().loopDepth <= 1)
        Purge();
}

void CTempMap::Purge()
{
    // Move the set out first: a destructor must not find a half-emptied map.
    std::map<TempKey, std::unique_ptr<CObject>> doomed;
    doomed.swap(Temps().objects);
}
