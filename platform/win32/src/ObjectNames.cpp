#include "ObjectNames.h"

#include "HandleTable.h"
#include "NamedObjectFailures.h"

#include <cstdlib>
#include <iterator>
#include <map>
#include <mutex>

namespace ks_platform {

namespace {

std::mutex& NamesLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::map<std::wstring, std::weak_ptr<KernelObject>>& Names()
{
    static auto* names = new std::map<std::wstring, std::weak_ptr<KernelObject>>;
    return *names;
}

} // namespace

std::shared_ptr<KernelObject> CreateNamed(const wchar_t* name, ObjectKind kind,
                                          const std::function<std::shared_ptr<KernelObject>()>& make)
{
    if (!name || !*name) {
        std::shared_ptr<KernelObject> object = make();
        SetLastError(ERROR_SUCCESS);
        return object;
    }
    if (const DWORD failure = NamedObjectFailure(name)) {
        SetLastError(failure);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(NamesLock());
    auto& names = Names();
    // Names of objects whose every handle was closed are free again; forget them
    // now and then so the map does not grow with every name ever used.
    if (names.size() >= 64)
        for (auto it = names.begin(); it != names.end();)
            it = it->second.expired() ? names.erase(it) : std::next(it);
    std::weak_ptr<KernelObject>& entry = names[name];
    if (std::shared_ptr<KernelObject> existing = entry.lock()) {
        if (existing->Kind() != kind) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        SetLastError(ERROR_ALREADY_EXISTS);
        return existing;
    }
    std::shared_ptr<KernelObject> object = make();
    entry = object;
    SetLastError(ERROR_SUCCESS);
    return object;
}

bool WideName(const char* name, std::wstring& wide)
{
    wide.clear();
    if (!name)
        return true;
    const size_t length = std::mbstowcs(nullptr, name, 0);
    if (length == static_cast<size_t>(-1))
        return false;
    wide.resize(length + 1);
    std::mbstowcs(&wide[0], name, length + 1);
    wide.resize(length);
    return true;
}

HANDLE AddObject(const std::shared_ptr<KernelObject>& object)
{
    // Add sets the last error only when it fails; a success keeps the creator's
    // ERROR_ALREADY_EXISTS or ERROR_SUCCESS.
    return HandleTable::Instance().Add(object);
}

} // namespace ks_platform
