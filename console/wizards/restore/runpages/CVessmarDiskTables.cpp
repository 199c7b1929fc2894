#include "IRestoreDiskTables.h"

#include "ItemQuery.h"
#include "KSResult.h"
#include "MomPtr.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IPartitionTableChainWriter.h"
#include "vessmar/IVessmarModule.h"

unsigned long CVessmarDiskTables::Write(IManagerItem* disk)
{
    IPartitionManager* manager = QueryItem<IPartitionManager>(disk);
    IPartitionTableChainWriter* writer = QueryItem<IPartitionTableChainWriter>(manager);
    if (writer == nullptr)
        return KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_WRONG_OBJECT);
    return writer->Write();
}

void CVessmarDiskTables::Refresh()
{
    if (IVessmarModule* module = OpenModuleT<IVessmarModule>("Vessmar"))
        module->Refresh(0);
}
