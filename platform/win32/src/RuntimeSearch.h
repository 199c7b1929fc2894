// One directory search of _wfindfirst64/_wfindnext64: the open folder and the name
// pattern. Folders are listed too, as the run-time does.
#pragma once

#include "KernelObject.h"

#include <io.h>

#include <dirent.h>

#include <memory>
#include <string>

namespace ks_platform {

class RuntimeSearch : public KernelObject {
public:
    ~RuntimeSearch() override;
    ObjectKind Kind() const override { return ObjectKind::RuntimeSearch; }

    // Null with errno set (ENOENT for a missing folder, EINVAL for a bad pattern).
    static std::shared_ptr<RuntimeSearch> Open(const wchar_t* pattern);
    // The next entry whose name matches; false with errno ENOENT at the end.
    bool Next(_wfinddata64_t& found);

private:
    DIR* directory_ = nullptr;
    std::string folder_;
    std::wstring namePattern_;
};

} // namespace ks_platform
