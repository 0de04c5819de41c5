// The thin Windows layer under the plug-in.  The plug-in calls only the
// functions named here; in the product build they are the real Windows API
// and C runtime, in the native build a small stand-in that tests steer
// (platform/win_standin_control.h).
//
//   GetModuleHandleA, GetModuleFileNameA, GetProcAddress  finding the host
//   GetTickCount, Sleep                                    the pause, the wait notice
//   wsprintfA                                              message texts
//   IsDebuggerPresent, OutputDebugStringA                  binding diagnostics
//   errno, _doserrno                                       after a failed open
#pragma once

#include <errno.h>
#include <stdlib.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include "plugin/platform/win_standin.h"
#endif
