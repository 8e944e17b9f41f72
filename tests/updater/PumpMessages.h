#pragma once
#include <windows.h>
#include <functional>

// Runs this thread's messages until done() holds (or a generous bound), then
// those still queued.
inline void PumpMessagesUntil(const std::function<bool()>& done)
{
    MSG msg;
    for (int i = 0; i < 3000 && !done(); ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}
