// The record the check-image wizard's pages fill for each other: the ticked volumes
// of one version of one image set, and the command object that checks them. It
// lives inside the wizard and starts zeroed.
#pragma once

#include <cstdint>
#include <vector>

#include "KSVolume.h"

class ITasque;

struct TagChkImgInfo {
    uint32_t nVolumeCount = 0;
    uint32_t versionKey[2] = {0, 0}; // the chosen version record's words at +24 and +28
    char szImagePath[520] = {};
    std::vector<_KS_VOLUME*>* pVolumes = nullptr; // owned by the selection page
    ITasque* pTasque = nullptr;                   // owned by the selection page
};
