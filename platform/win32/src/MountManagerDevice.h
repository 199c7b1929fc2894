// "\\.\MountPointManager": answers the query of mount points (0x6D0008) for a
// partition's device name "\Device\HarddiskN\PartitionM" with the volume's device
// name, as the mount manager of a running Windows does.
#pragma once

#include "KSPlatformControl.h"

#include <memory>

namespace ks_platform {

std::shared_ptr<KSDevice> OpenMountManager(DWORD access, DWORD& error);

} // namespace ks_platform
