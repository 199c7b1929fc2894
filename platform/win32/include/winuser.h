// The window manager calls the launcher uses: message boxes and system metrics.
#pragma once

#include "windef.h"

#ifndef KS_HWND_DECLARED
#define KS_HWND_DECLARED
struct HWND__;
typedef struct HWND__* HWND;
#endif

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONERROR 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONWARNING 0x00000030u
#define MB_ICONINFORMATION 0x00000040u

#define IDOK 1
#define IDCANCEL 2

#define SM_CLEANBOOT 67

extern "C" {
// Shows nothing on this layer: the box is recorded (KSPlatformSetup.h) and answers IDOK.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int WINAPI GetSystemMetrics(int index);
}
