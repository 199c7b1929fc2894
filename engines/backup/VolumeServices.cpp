#include "VolumeServices.h"

#include "ICensa.h"
#include "IKSDevIO.h"
#include "IKSQuelm.h"
#include "KSFSSupport.h"
#include "Vovav.h"

const KSVolumeServices& KSDefaultVolumeServices()
{
    static const KSVolumeServices services = {
        CreateCensaObj, KSCreateObjectDevIO, KSCreateObjectQuelm, KSCreateObjectFsNt,
        KSCreateObjectFsFat, Bcd_GetDiskSignature, BootIni_GetArcInfo,
    };
    return services;
}
