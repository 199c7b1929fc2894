// The two device-manager operations that decide what reaches a target disk: writing
// a disk's edited partition tables, and dropping every edit not yet written.
#pragma once

class IManagerItem;

class IRestoreDiskTables {
public:
    virtual ~IRestoreDiskTables() {}
    // Writes the disk's table chain; 0 on success.
    virtual unsigned long Write(IManagerItem* disk) = 0;
    // Reads every disk again: edits in memory are gone.
    virtual void Refresh() = 0;
};

// The device manager module "Vessmar" itself.
class CVessmarDiskTables : public IRestoreDiskTables {
public:
    unsigned long Write(IManagerItem* disk) override;
    void Refresh() override;
};
