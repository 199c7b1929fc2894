// Finds an attribute of a file by record number, type and name, reusing the file
// read last when the same record is asked for again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CAttributeI.h"
#include "CRWContextI.h"
#include "CRecordI.h"

class CAttributeReadWriteBase : public CRWContextI {
public:
    CAttributeReadWriteBase(CHardDriveIO* io, CNtfsVolume* volume, CNtfsMFT* mft)
        : io_(io), volume_(volume), mft_(mft)
    {
    }

    CNtfsMFT* GetMFT() override { return mft_; }
    CNtfsVolume* GetVolume() override { return volume_; }
    CHardDriveIO* GetDriveIO() override { return io_; }

    bool GetAttributeSize(uint64_t recordNumber, uint32_t type, const std::u16string& name, uint64_t& size);

protected:
    std::unique_ptr<CAttributeI> FindAttribute(uint64_t recordNumber, uint32_t type, const std::u16string& name);

private:
    // Reads the file of recordNumber: a record with an attribute list, or a child
    // record, together with all records of its base record.
    bool LoadRecord(uint64_t recordNumber);

    CHardDriveIO* io_;
    CNtfsVolume* volume_;
    CNtfsMFT* mft_;
    std::unique_ptr<CRecordI> lastRecord_;
};
