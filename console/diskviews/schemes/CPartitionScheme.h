// One partition scheme: its information block and its planned partitions, read from
// and written to a ".psc" file (the block, then one record after the other).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "SchemeInfo.h"
#include "SchemePartition.h"

constexpr size_t kMaxSchemePartitions = 256;

class CPartitionScheme {
public:
    CPartitionScheme();
    CPartitionScheme(const CPartitionScheme& other);
    CPartitionScheme& operator=(const CPartitionScheme& other);
    virtual ~CPartitionScheme();

    bool SetSchemeInfo(const tagSCHEME_INFO& info);
    bool GetSchemeInfo(tagSCHEME_INFO& info) const;
    // Appends the record; false for a negative index, a full list, or a record whose
    // type is 0 (it would end the list when the file is read again).
    bool SetSchemePartition(int index, const tagSCHEME_PARTITION& record);
    bool GetSchemePartition(int index, tagSCHEME_PARTITION& record) const;
    int GetPartitionCount() const;
    // False when there is no information block or the file cannot be written.
    bool WriteTo(const std::string& path) const;
    // False when the file cannot be opened. A file shorter than the block leaves the
    // rest of the block zero and no records; at most 256 records are read.
    bool ReadFrom(const std::string& path);
    int GetSegmentType(std::string& name) const;
    int GetKeyWordsType(std::string& name) const;
    int GetFileSystemType(std::string& name) const;

private:
    std::unique_ptr<tagSCHEME_INFO> m_info;
    std::vector<tagSCHEME_PARTITION> m_partitions;
    tagSCHEME_PARTITION m_scratch;
};
