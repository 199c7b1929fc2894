// libparted's start-up code (its GPT label's initialiser) reads past a string it
// builds, which AddressSanitizer reports through its strchr interceptor as soon as
// Brasket.mo loads libparted, and libparted keeps a sector buffer of its FAT resize
// for good. Both faults are in the library, not in what we call; these hide reports
// from interceptors called by libparted and leaks of its own allocations alone.
extern "C" const char* __asan_default_suppressions()
{
    return "interceptor_via_lib:libparted.so.2\n";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libparted.so.2\n";
}
