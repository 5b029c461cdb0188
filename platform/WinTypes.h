// The few Windows types and message numbers that the program's logic uses.
// The Win32 build takes them from <windows.h>; the native build declares the
// same names with the same values, so the logic compiles unchanged on both.
#pragma once

#ifdef _WIN32
#include <windows.h>

// After windows.h: the notification-area operations.
#include <shellapi.h>
#else
#include <cstdint>

typedef struct HWND__* HWND;
typedef unsigned int UINT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::uintptr_t UINT_PTR;
typedef int BOOL;
typedef std::uint32_t DWORD;
typedef std::uintptr_t ULONG_PTR;

typedef struct tagCOPYDATASTRUCT {
    ULONG_PTR dwData;
    DWORD cbData;
    void* lpData;
} COPYDATASTRUCT;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUERYENDSESSION 0x0011
#define WM_ENDSESSION 0x0016
#define WM_QUERYDRAGICON 0x0037
#define WM_COPYDATA 0x004A
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_USER 0x0400

#define SW_HIDE 0
#define SW_SHOW 5
#define SW_RESTORE 9

#define MB_OK 0x00000000L
#define MB_ICONSTOP 0x00000010L
#define IDOK 1
#define IDCANCEL 2

#define NIM_ADD 0x00000000
#define NIM_DELETE 0x00000002

#define EV_RXCHAR 0x0001
#define EV_RXFLAG 0x0002
#define EV_CTS 0x0008
#define EV_BREAK 0x0040
#define EV_ERR 0x0080
#define EV_RING 0x0100
#endif
