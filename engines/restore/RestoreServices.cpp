#include "RestoreServices.h"

#include <process.h>

#include "CDiskMapRestoreDisks.h"
#include "IBrasketModule.h"
#include "IKSCofran.h"
#include "LivePartitionIndex.h"
#include "Mirrane.h"
#include "Stretta.h"
#include "SystemFixups.h"

namespace {
IBrasketModule* OpenBrasket() { return OpenModuleT<IBrasketModule>("Brasket"); }
}

RestoreServices DefaultRestoreServices()
{
    static CDiskMapRestoreDisks disks;
    RestoreServices services{};
    services.createImage = KSCreateObjectImg;
    services.startThread = _beginthreadex;
    services.updateSystemForPartOpt = UpdateSystemForPartOpt;
    services.updateSystemForDiskOpt = UpdateSystemForDiskOpt;
    services.updateBootIni = UpdateBootIniAfterRun;
    services.fixups = DefaultFixupServices();
    services.disks = &disks;
    services.resizeNtfs = StrettaVolume;
    services.copyNtfs = CopyNTFSVolume;
    services.openFatCopier = OpenBrasket;
    services.livePartitionIndex = LivePartitionIndex;
    return services;
}
