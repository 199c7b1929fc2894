// The Win32 declarations this system's modules use, written for the Linux build.
// Each part lives in a header named like its Windows counterpart, so that code may
// include either <windows.h> or the narrower header and compile the same way on
// Windows against the real headers. The C run-time's headers <process.h>, <io.h>
// and <direct.h> and the device codes of <winioctl.h> are included on their own,
// as on Windows.
#pragma once

#include "windef.h"
#include "winnt.h"
#include "guiddef.h"
#include "winerror.h"
#include "minwinbase.h"
#include "winbase.h"
#include "handleapi.h"
#include "errhandlingapi.h"
#include "fileapi.h"
#include "sysinfoapi.h"
#include "timezoneapi.h"
#include "synchapi.h"
#include "processthreadsapi.h"
#include "namedpipeapi.h"
#include "libloaderapi.h"
#include "heapapi.h"
#include "wow64apiset.h"
#include "ioapiset.h"
#include "memoryapi.h"
#include "debugapi.h"
#include "winsvc.h"
#include "winreg.h"
#include "securitybaseapi.h"
#include "KSCrtTime.h"
