#include "CPartitionScheme.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "SchemeCodec.h"

namespace {
const char* const kSegments[] = {"[SCHEME INFO]", "[PARTITION]"};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

CPartitionScheme::CPartitionScheme() : m_scratch() {}

CPartitionScheme::CPartitionScheme(const CPartitionScheme& other)
    : m_info(other.m_info ? new tagSCHEME_INFO(*other.m_info) : nullptr), m_partitions(other.m_partitions),
      m_scratch(other.m_scratch)
{
}

CPartitionScheme& CPartitionScheme::operator=(const CPartitionScheme& other)
{
    if (this != &other) {
        m_info.reset(other.m_info ? new tagSCHEME_INFO(*other.m_info) : nullptr);
        m_partitions = other.m_partitions;
        m_scratch = other.m_scratch;
    }
    return *this;
}

CPartitionScheme::~CPartitionScheme() {}

bool CPartitionScheme::SetSchemeInfo(const tagSCHEME_INFO& info)
{
    if (!m_info)
        m_info.reset(new tagSCHEME_INFO());
    *m_info = info;
    return true;
}

bool CPartitionScheme::GetSchemeInfo(tagSCHEME_INFO& info) const
{
    if (!m_info)
        return false;
    info = *m_info;
    return true;
}

bool CPartitionScheme::SetSchemePartition(int index, const tagSCHEME_PARTITION& record)
{
    if (index < 0 || record.u32Type == 0 || m_partitions.size() >= kMaxSchemePartitions)
        return false;
    m_partitions.push_back(record);
    return true;
}

bool CPartitionScheme::GetSchemePartition(int index, tagSCHEME_PARTITION& record) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_partitions.size())
        return false;
    record = m_partitions[static_cast<size_t>(index)];
    return true;
}

int CPartitionScheme::GetPartitionCount() const
{
    return static_cast<int>(m_partitions.size());
}

bool CPartitionScheme::WriteTo(const std::string& path) const
{
    if (!m_info)
        return false;
    File file(std::fopen(path.c_str(), "w+b"));
    if (!file)
        return false;
    uint8_t block[kSchemeInfoSize];
    EncodeSchemeInfo(*m_info, block);
    bool ok = std::fwrite(block, sizeof(block), 1, file.get()) == 1;
    for (const tagSCHEME_PARTITION& record : m_partitions) {
        uint8_t bytes[kSchemePartitionSize];
        EncodeSchemePartition(record, bytes);
        ok = ok && std::fwrite(bytes, sizeof(bytes), 1, file.get()) == 1;
    }
    return std::fflush(file.get()) == 0 && ok;
}

bool CPartitionScheme::ReadFrom(const std::string& path)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    uint8_t block[kSchemeInfoSize] = {};
    (void)std::fread(block, 1, sizeof(block), file.get());  // a short file leaves zeros
    tagSCHEME_INFO info;
    DecodeSchemeInfo(block, info);
    SetSchemeInfo(info);
    m_partitions.clear();
    while (m_partitions.size() < kMaxSchemePartitions) {
        uint8_t bytes[kSchemePartitionSize] = {};
        // A partial record at the end of the file is no record.
        if (std::fread(bytes, 1, sizeof(bytes), file.get()) != sizeof(bytes))
            break;
        tagSCHEME_PARTITION record;
        DecodeSchemePartition(bytes, record);
        if (record.u32Type == 0)
            break;
        m_partitions.push_back(record);
    }
    return true;
}

int CPartitionScheme::GetSegmentType(std::string& name) const
{
    for (int i = 0; i < 2; ++i)
        if (strcasecmp(name.c_str(), kSegments[i]) == 0)
            return i;
    return -1;
}

int CPartitionScheme::GetKeyWordsType(std::string&) const
{
    return -1;
}

int CPartitionScheme::GetFileSystemType(std::string&) const
{
    return -1;
}
