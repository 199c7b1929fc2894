// A child for the process tests: "InheritedHandleChild N text" writes text to its
// inherited handle N (the parent's number) and exits with 7, or with 9 when the
// handle is unknown to it.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(argv[1], nullptr, 10)));
    DWORD written = 0;
    if (!WriteFile(handle, argv[2], static_cast<DWORD>(std::strlen(argv[2])), &written, nullptr))
        return 9;
    return 7;
}
