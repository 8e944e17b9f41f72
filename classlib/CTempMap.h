#pragma once
#include "CObject.h"

// The temporary wrapper objects that FromHandle makes for handles that no
// object owns (a window made elsewhere, the bitmap a SelectObject replaced...).
// Each thread keeps its own set, so no lock is needed. A temporary never owns
// its handle. Temporaries live until the outermost message loop of their
// thread next goes idle, or until the thread ends: a pointer from FromHandle
// may be used within the handling of one message but not kept.
class CTempMap {
public:
    // The wrapper of kind T for handle h, made on first use; NULL for a NULL handle.
    template<class T, class H>
    static T* Get(H h)
    {
        if (!h)
            return nullptr;
        static const char kind = 0;
        if (CObject* p = Find(&kind, h))
            return static_cast<T*>(p);
        T* p = new T;
        p->AttachTemporary(h);
        Add(&kind, h, p);
        return p;
    }

    // Message loops report their nesting so that only the outermost one frees.
    static void EnterLoop();
    static void LeaveLoop();
    // Called by a message loop whose queue is empty.
    static void OnIdle();
    // Deletes every temporary of the calling thread.
    static void Purge();

private:
    static CObject* Find(const void* kind, const void* h);
    static void Add(const void* kind, const void* h, CObject* p);
};
