#include "serial/win32/ThreadJoin.h"

bool JoinThread(HANDLE thread, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            break;
        }
        const DWORD result =
            MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        if (result != WAIT_OBJECT_0 + 1) {
            break;
        }
        // Peeking answers the messages sent to this thread's windows.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    TerminateThread(thread, 0);
    WaitForSingleObject(thread, timeoutMs);
    return false;
}
