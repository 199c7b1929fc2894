// The device manager's tree as one operation of the module sees it: the module opened
// anew by name (the loader keeps the library loaded), its manager, and one disk found
// by position with the iterator held for the life of this object.
#pragma once

#include "CItemFinder.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IVessmarModule.h"

class CDeviceTree {
public:
    // The device manager module's name; the loader adds ".mo" and asks its root for
    // "IVessmarModule".
    static constexpr const char* kModuleName = "Vessmar";

    // Opens the module and asks it for the manager. 0, or a failure code with kind
    // KS_ERR_NO_MODULE or KS_ERR_NO_MANAGER.
    unsigned long Open();
    IManager* Manager() const { return manager_; }
    // The disk at index, held until this object dies; null when there is none.
    IManagerItem* FindDisk(unsigned long long index) { return disks_.Find(manager_, index); }

private:
    IManager* manager_ = nullptr;
    CItemFinder disks_;
};
