// The outside modules a volume reader calls, gathered so that tests can put doubles
// in their place. KSDefaultVolumeServices() names the real ones.
#pragma once

#include <cstdint>

class ICensa;

struct KSVolumeServices {
    ICensa* (*createCensa)();
    unsigned long (*createDevIO)(unsigned long version, unsigned long kind, void** out);
    unsigned long (*createQuelm)(unsigned long version, unsigned long kind, void** out);
    unsigned long (*createFsNt)(unsigned long version, unsigned long kind, void** out);
    unsigned long (*createFsFat)(unsigned long version, unsigned long kind, void** out);
    uint32_t (*diskSignature)(unsigned long disk);
    unsigned long (*arcInfo)(unsigned long disk, unsigned long long startSector, unsigned long* record);
};

const KSVolumeServices& KSDefaultVolumeServices();
