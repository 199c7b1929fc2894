// The master file table of a volume: maps a file-record number to its sectors
// through $MFT's data run list and reads records and attribute values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CNtfsFileRecord.h"
#include "CNtfsRunList.h"
#include "CNtfsVolume.h"

class CNtfsMFT {
public:
    virtual ~CNtfsMFT() {}

    // Copies the volume and takes $MFT's run list from record 0's own $DATA
    // attribute (an $MFT that continues in other records needs the derived
    // class). False leaves the MFT uninitialised.
    virtual bool InitMFT(const CNtfsVolume& volume);
    bool IsInitialized() const { return initialized_; }

    const CNtfsVolume& GetVolume() const { return volume_; }
    const CNtfsRunList& GetMftRunList() const { return mftRuns_; }
    uint64_t GetFileRecordCount() const { return recordCount_; }

    // Reads and parses one record; false past the MFT's end, on a read failure or
    // for a damaged record.
    bool ReadFileRecord(uint64_t recordNumber, CNtfsFileRecord& record) const;

    // Reads length bytes from offset of the data that runs describe (VCN 0 at
    // offset 0), through a one-sector buffer for partial sectors. Sparse runs read
    // as zeros; a range past the last run fails.
    bool ReadRunListData(const CNtfsRunList& runs, uint64_t offset, unsigned char* buffer, uint64_t length) const;

    // Reads length bytes from offset of one attribute's value (resident, or a
    // non-resident extent starting at VCN 0); the range must lie within the value.
    bool GetDataFromAttribute(const CNtfsFileRecordAttribute& attribute, uint64_t offset, unsigned char* buffer,
                              uint64_t length) const;

protected:
    // Reads the record at recordNumber through runs (used while the run list is
    // still being assembled).
    bool ReadRecordThrough(const CNtfsRunList& runs, uint64_t recordNumber, CNtfsFileRecord& record) const;
    // Whether runs can be $MFT's data: every cluster on the volume (a record
    // never reads as sparse zeros) and no more clusters than the volume has. The
    // record count, and every buffer sized by it, is then bounded by the volume.
    bool IsPlausibleMftRunList(const CNtfsRunList& runs) const;
    // Records that runs hold, bounded by $MFT's data size.
    uint64_t CountRecords(const CNtfsRunList& runs, uint64_t dataSize) const;
    void Reset();

    CNtfsVolume volume_;
    CNtfsRunList mftRuns_;
    uint64_t recordCount_ = 0;
    bool initialized_ = false;
};
