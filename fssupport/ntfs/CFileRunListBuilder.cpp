#include "CFileRunListBuilder.h"

#include "CNtfsMFT.h"
#include "CNtfsMultiFileRecord.h"
#include "NtfsLayout.h"

bool CFileRunListBuilder::Build(const CNtfsMFT& mft, uint64_t recordNumber, Scope scope, CNtfsRunList& runs)
{
    runs.Clear();
    CNtfsMultiFileRecord file;
    if (!file.Init(mft, recordNumber))
        return false;
    const int64_t clusters = static_cast<int64_t>(mft.GetVolume().GetVolumeClusterCount());
    CNtfsRunList gathered;
    for (const CNtfsFileRecord& record : file.GetRecords()) {
        for (const CNtfsFileRecordAttribute& attribute : record.GetAttributes()) {
            if (attribute.IsResident())
                continue;
            if (scope == UnnamedDataOnly && !attribute.IsMyself(NTFS_AT_DATA, u""))
                continue;
            CNtfsRunList part;
            if (!attribute.GetDataRunList(part, clusters))
                return false;
            gathered.Append(part);
        }
    }
    runs = gathered;
    return true;
}
