#include "RestoreServices.h"

#include <process.h>

#include "CDiskMapRestoreDisks.h"
#include "IBrasketModule.h"
#include "IKSCofran.h"
#include "LivePartitionIndex.h"
#include "Mirrane.h"
#include "Stretta.h"

namespace {
// The Windows fix-ups after a restore live in their own module; until it is there
// they have nothing to do on a disk image.
unsigned long NoPartitionFixup(CRestore&, const _KS_RESTORE_OPERATION&) { return 0; }
unsigned long NoDiskFixup(CRestore&) { return 0; }
IBrasketModule* OpenBrasket() { return OpenModuleT<IBrasketModule>("Brasket"); }
}

RestoreServices DefaultRestoreServices()
{
    static CDiskMapRestoreDisks disks;
    RestoreServices services{};
    services.createImage = KSCreateObjectImg;
    services.startThread = _beginthreadex;
    services.updateSystemForPartOpt = NoPartitionFixup;
    services.updateSystemForDiskOpt = NoDiskFixup;
    services.updateBootIni = NoPartitionFixup;
    services.disks = &disks;
    services.resizeNtfs = StrettaVolume;
    services.copyNtfs = CopyNTFSVolume;
    services.openFatCopier = OpenBrasket;
    services.livePartitionIndex = LivePartitionIndex;
    return services;
}
