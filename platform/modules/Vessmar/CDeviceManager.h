// The root of the device tree: the container of the disks that the disk map lists.
#pragma once

#include <vector>

#include "vessmar/IManager.h"

class CDiskItem;

class CDeviceManager final : public IManager {
public:
    // Reads every disk anew. Disks of the earlier scan leave the tree; items that callers
    // still hold stay valid (and refuse edits) until they are released.
    void Rescan();
    bool Scanned() const { return scanned_; } // read under the module lock

    IObject* GetInterface(const char* key) override;
    // The manager lives as long as the module: references are not counted.
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long long GetCount() override;
    IIterator* CreateIterator() override;

private:
    std::vector<CDiskItem*> disks_;  // held
    bool scanned_ = false;
};
