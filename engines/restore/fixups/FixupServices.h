// What the Windows fix-ups reach outside the restore engine: Vovav's boot
// configuration calls and the device manager's disks. Tests put doubles behind each.
#pragma once

#include <cstdint>

class IFixupDisks;
class IManager;

struct FixupServices {
    uint32_t (*diskSignature)(unsigned long disk);
    unsigned long (*arcInfo)(unsigned long disk, unsigned long long startSector, unsigned long* record);
    unsigned long (*bootIniSetOptPart)(unsigned long mode, const unsigned char* record);
    bool (*bootIniIsUpdated)();
    unsigned long (*bootIniUpdateFile)();
    unsigned long (*bcdInit)(IManager* manager, const unsigned char* record);
    bool (*bcdIsVistaBoot)();
    bool (*bcdIsUsingBcdFile)();
    bool (*bcdIsBcdPartition)();
    void (*bcdLock)();
    void (*bcdUnlock)();
    IFixupDisks* disks;
};

// Vovav's calls and the device manager "Vessmar".
FixupServices DefaultFixupServices();
