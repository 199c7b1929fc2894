// Installing and removing the bus driver.
#include "Palmet.h"

#include "KSResult.h"
#include "MountKinds.h"

// The device-list calls the install needs are not part of the platform layer yet, so
// both operations refuse with the install failure instead of pretending success.
unsigned long Palmet::InstallDriver(const wchar_t* folder, unsigned long)
{
    if (folder == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    RemoveDriver(folder);
    return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
}

unsigned long Palmet::RemoveDriver(const wchar_t* folder)
{
    if (folder == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
}
