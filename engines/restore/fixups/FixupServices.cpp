#include "FixupServices.h"

#include "FixupDisks.h"
#include "Vovav.h"

FixupServices DefaultFixupServices()
{
    FixupServices services{};
    services.diskSignature = Bcd_GetDiskSignature;
    services.arcInfo = BootIni_GetArcInfo;
    services.bootIniSetOptPart = BootIni_SetOptPart;
    services.bootIniIsUpdated = BootIni_IsUpdated;
    services.bootIniUpdateFile = BootIni_UpdateFile;
    services.bcdInit = Bcd_Init;
    services.bcdIsVistaBoot = Bcd_IsVistaBoot;
    services.bcdIsUsingBcdFile = Bcd_IsUsingBcdFile;
    services.bcdIsBcdPartition = Bcd_IsBcdPartition;
    services.bcdLock = Bcd_LockBcdFile;
    services.bcdUnlock = Bcd_UnlockBcdFile;
    services.disks = &VessmarFixupDisks();
    return services;
}
