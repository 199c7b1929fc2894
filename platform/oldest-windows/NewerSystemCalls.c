/* The calls that the compiler's static libraries import and that Windows 2000 lacks:
 * from kernel32, GetTickCount64 (Vista) and the vectored exception handler pair (XP),
 * imported by the thread library winpthread; from the system's C run-time msvcrt.dll,
 * the 64-bit-time calls _time64, _wfindfirst64 and _wfindnext64 and the aligned
 * allocation pair (all XP), which the C run-time's headers and the C++ library's
 * aligned operator new call. Windows refuses to load a module whose import is
 * missing, so every shipped module and program is linked with this file: it defines
 * the import slots itself (the "__imp_" pointers the callers go through), and the
 * import libraries' entries for these names are never pulled in. Each slot calls the
 * system's own function where the system has it, and a stand-in where it does not. */
#include <windows.h>

#include <errno.h>
#include <io.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef ULONGLONG(WINAPI* TickCount64Call)(void);
typedef PVOID(WINAPI* AddHandlerCall)(ULONG, PVECTORED_EXCEPTION_HANDLER);
typedef ULONG(WINAPI* RemoveHandlerCall)(PVOID);
typedef __time64_t(__cdecl* Time64Call)(__time64_t*);
typedef intptr_t(__cdecl* FindFirst64Call)(const wchar_t*, struct _wfinddata64_t*);
typedef int(__cdecl* FindNext64Call)(intptr_t, struct _wfinddata64_t*);
typedef void*(__cdecl* AlignedMallocCall)(size_t, size_t);
typedef void(__cdecl* AlignedFreeCall)(void*);

static FARPROC SystemCall(const char* library, const char* name)
{
    HMODULE module = GetModuleHandleA(library);
    return module != NULL ? GetProcAddress(module, name) : NULL;
}

/* ---- kernel32 ---- */

/* GetTickCount made 64 bits wide: the high part counts the times the 32-bit count
 * wrapped (every 49.7 days), noticed on any call. A spin lock keeps the two halves
 * in step between threads. */
static ULONGLONG WINAPI TickCount64StandIn(void)
{
    static volatile LONG busy = 0;
    static DWORD lastLow = 0;
    static DWORD wraps = 0;
    while (InterlockedExchange(&busy, 1) != 0)
        Sleep(0);
    const DWORD low = GetTickCount();
    if (low < lastLow)
        ++wraps;
    lastLow = low;
    const ULONGLONG ticks = ((ULONGLONG)wraps << 32) | low;
    InterlockedExchange(&busy, 0);
    return ticks;
}

static ULONGLONG WINAPI TickCount64(void)
{
    static TickCount64Call call = NULL;
    if (call == NULL) {
        TickCount64Call found = (TickCount64Call)(void*)SystemCall("kernel32.dll", "GetTickCount64");
        call = found != NULL ? found : TickCount64StandIn;
    }
    return call();
}

/* Without vectored handlers there is nothing to add: the thread library only uses one
 * to name threads for a debugger, and copes with no handle. */
static PVOID WINAPI AddVectoredHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    AddHandlerCall call = (AddHandlerCall)(void*)SystemCall("kernel32.dll", "AddVectoredExceptionHandler");
    return call != NULL ? call(first, handler) : NULL;
}

static ULONG WINAPI RemoveVectoredHandler(PVOID handle)
{
    RemoveHandlerCall call = (RemoveHandlerCall)(void*)SystemCall("kernel32.dll", "RemoveVectoredExceptionHandler");
    return call != NULL && handle != NULL ? call(handle) : 0;
}

/* ---- msvcrt ---- */

/* Seconds since 1970 from the system clock (100 ns units since 1601). */
static __time64_t __cdecl Time64(__time64_t* out)
{
    Time64Call call = (Time64Call)(void*)SystemCall("msvcrt.dll", "_time64");
    if (call != NULL)
        return call(out);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = ((ULONGLONG)now.dwHighDateTime << 32) | now.dwLowDateTime;
    const __time64_t seconds = (__time64_t)((ticks - 116444736000000000ULL) / 10000000ULL);
    if (out != NULL)
        *out = seconds;
    return seconds;
}

/* The older run-time's search record: 32-bit times, 64-bit size (_wfindfirsti64). */
struct OlderFindRecord {
    unsigned attrib;
    long timeCreate;
    long timeAccess;
    long timeWrite;
    __int64 size;
    wchar_t name[260];
};
typedef intptr_t(__cdecl* OlderFindFirstCall)(const wchar_t*, struct OlderFindRecord*);
typedef int(__cdecl* OlderFindNextCall)(intptr_t, struct OlderFindRecord*);

static void WidenFindRecord(const struct OlderFindRecord* older, struct _wfinddata64_t* out)
{
    out->attrib = older->attrib;
    out->time_create = (__time64_t)older->timeCreate;
    out->time_access = (__time64_t)older->timeAccess;
    out->time_write = (__time64_t)older->timeWrite;
    out->size = older->size;
    memcpy(out->name, older->name, sizeof out->name);
}

static intptr_t __cdecl FindFirst64(const wchar_t* pattern, struct _wfinddata64_t* found)
{
    FindFirst64Call call = (FindFirst64Call)(void*)SystemCall("msvcrt.dll", "_wfindfirst64");
    if (call != NULL)
        return call(pattern, found);
    OlderFindFirstCall older = (OlderFindFirstCall)(void*)SystemCall("msvcrt.dll", "_wfindfirsti64");
    struct OlderFindRecord record;
    if (older == NULL || found == NULL) {
        errno = EINVAL;
        return -1;
    }
    const intptr_t search = older(pattern, &record);
    if (search != -1)
        WidenFindRecord(&record, found);
    return search;
}

static int __cdecl FindNext64(intptr_t search, struct _wfinddata64_t* found)
{
    FindNext64Call call = (FindNext64Call)(void*)SystemCall("msvcrt.dll", "_wfindnext64");
    if (call != NULL)
        return call(search, found);
    OlderFindNextCall older = (OlderFindNextCall)(void*)SystemCall("msvcrt.dll", "_wfindnexti64");
    struct OlderFindRecord record;
    if (older == NULL || found == NULL) {
        errno = EINVAL;
        return -1;
    }
    const int rc = older(search, &record);
    if (rc == 0)
        WidenFindRecord(&record, found);
    return rc;
}

/* Aligned blocks: the system's pair where it has both, otherwise a larger plain block
 * with the start of it kept just below the aligned address. One way or the other for
 * the whole process, so that a block is always freed the way it was taken. */
static void* __cdecl AlignedMallocStandIn(size_t size, size_t alignment)
{
    if (alignment == 0 || (alignment & (alignment - 1)) != 0) {
        errno = EINVAL;
        return NULL;
    }
    if (alignment < sizeof(void*))
        alignment = sizeof(void*);
    if (size > SIZE_MAX - alignment - sizeof(void*)) {
        errno = ENOMEM;
        return NULL;
    }
    unsigned char* block = (unsigned char*)malloc(size + alignment + sizeof(void*));
    if (block == NULL)
        return NULL;
    const uintptr_t first = (uintptr_t)(block + sizeof(void*));
    void** aligned = (void**)((first + alignment - 1) & ~(uintptr_t)(alignment - 1));
    aligned[-1] = block;
    return aligned;
}

static void __cdecl AlignedFreeStandIn(void* aligned)
{
    if (aligned != NULL)
        free(((void**)aligned)[-1]);
}

static AlignedMallocCall alignedMalloc = NULL;
static AlignedFreeCall alignedFree = NULL;

static void ChooseAlignedPair(void)
{
    if (alignedMalloc != NULL)
        return;
    AlignedMallocCall take = (AlignedMallocCall)(void*)SystemCall("msvcrt.dll", "_aligned_malloc");
    AlignedFreeCall give = (AlignedFreeCall)(void*)SystemCall("msvcrt.dll", "_aligned_free");
    if (take == NULL || give == NULL) {
        take = AlignedMallocStandIn;
        give = AlignedFreeStandIn;
    }
    alignedFree = give;
    alignedMalloc = take;
}

static void* __cdecl AlignedMalloc(size_t size, size_t alignment)
{
    ChooseAlignedPair();
    return alignedMalloc(size, alignment);
}

static void __cdecl AlignedFree(void* block)
{
    ChooseAlignedPair();
    alignedFree(block);
}

/* The slots under the names the import libraries give them: on 32-bit Windows a
 * leading underscore, and the argument bytes for the system's stdcall calls; plain
 * names on 64-bit Windows. */
#if defined(_WIN64)
#define KERNEL_SLOT(plain, bytes) __asm__("__imp_" plain)
#define CRT_SLOT(plain) __asm__("__imp_" plain)
#else
#define KERNEL_SLOT(plain, bytes) __asm__("__imp__" plain "@" bytes)
#define CRT_SLOT(plain) __asm__("__imp__" plain)
#endif

TickCount64Call rvd_tick_count64_slot KERNEL_SLOT("GetTickCount64", "0") = TickCount64;
AddHandlerCall rvd_add_handler_slot KERNEL_SLOT("AddVectoredExceptionHandler", "8") = AddVectoredHandler;
RemoveHandlerCall rvd_remove_handler_slot KERNEL_SLOT("RemoveVectoredExceptionHandler", "4") = RemoveVectoredHandler;
Time64Call rvd_time64_slot CRT_SLOT("_time64") = Time64;
FindFirst64Call rvd_find_first64_slot CRT_SLOT("_wfindfirst64") = FindFirst64;
FindNext64Call rvd_find_next64_slot CRT_SLOT("_wfindnext64") = FindNext64;
AlignedMallocCall rvd_aligned_malloc_slot CRT_SLOT("_aligned_malloc") = AlignedMalloc;
AlignedFreeCall rvd_aligned_free_slot CRT_SLOT("_aligned_free") = AlignedFree;
