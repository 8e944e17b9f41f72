#pragma once
#include "afx.h"

namespace classlibtest {

// Runs f and reports whether it threw the class library's invalid-argument exception.
template <class F>
bool ThrowsInvalidArg(F f)
{
    try {
        f();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return true;
    }
    return false;
}

}  // namespace classlibtest
