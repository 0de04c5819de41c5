// Native stand-in for the few Windows functions the plug-in calls, so that
// the same plug-in sources build and run on Linux for unit tests.
#pragma once

#include <stdint.h>

#define WINAPI
typedef int BOOL;
typedef uint32_t DWORD;
typedef void *LPVOID;
typedef void *HINSTANCE;
typedef void *HMODULE;
typedef const char *LPCSTR;
typedef char *LPSTR;
typedef void (*FARPROC)(void);

#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#define MAKEINTRESOURCEA(i) ((LPCSTR)(uintptr_t)(uint16_t)(i))

HMODULE GetModuleHandleA(LPCSTR name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR path, DWORD size);
FARPROC GetProcAddress(HMODULE module, LPCSTR nameOrOrdinal);
DWORD GetTickCount(void);
void Sleep(DWORD milliseconds);
int wsprintfA(LPSTR buffer, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
BOOL IsDebuggerPresent(void);
void OutputDebugStringA(LPCSTR text);

// The C runtime's system error number after a failed file operation.
extern int g_standinDosErrno;
#define _doserrno g_standinDosErrno
