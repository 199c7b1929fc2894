// The run-time's directory search over RuntimeSearch; its handles are handles of the
// layer's table, closed only by _findclose.
#include "HandleTable.h"
#include "RuntimeSearch.h"

#include <cerrno>

using namespace ks_platform;

namespace {

HANDLE AsHandle(intptr_t search) { return reinterpret_cast<HANDLE>(search); }

bool IsSearch(ObjectKind kind) { return kind == ObjectKind::RuntimeSearch; }

} // namespace

extern "C" intptr_t _wfindfirst64(const wchar_t* pattern, struct _wfinddata64_t* found)
{
    if (!found) {
        errno = EINVAL;
        return -1;
    }
    std::shared_ptr<RuntimeSearch> search = RuntimeSearch::Open(pattern);
    if (!search || !search->Next(*found))
        return -1;
    HANDLE handle = HandleTable::Instance().Add(search);
    if (!handle) {
        errno = ENOMEM;
        return -1;
    }
    return reinterpret_cast<intptr_t>(handle);
}

extern "C" int _wfindnext64(intptr_t handle, struct _wfinddata64_t* found)
{
    std::shared_ptr<RuntimeSearch> search =
        HandleTable::Instance().FindAs<RuntimeSearch>(AsHandle(handle), ObjectKind::RuntimeSearch);
    if (!search || !found) {
        errno = EINVAL;
        return -1;
    }
    return search->Next(*found) ? 0 : -1;
}

extern "C" int _findclose(intptr_t handle)
{
    if (!HandleTable::Instance().Remove(AsHandle(handle), IsSearch)) {
        errno = EINVAL;
        return -1;
    }
    return 0;
}
