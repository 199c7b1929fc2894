// The decisions of the image partition page: what the ticked entries of the image
// mean (one partition, a whole disk, or the disk's first track only), what the
// "Sector-by-sector restoration" box allows, and where Next leads.
#pragma once

#include <vector>

#include "KSVolume.h"

class IWizard;

struct SectorBoxState {
    bool ticked = false;
    bool sensitive = true;
};

class CImagePartitionLogic {
public:
    explicit CImagePartitionLogic(IWizard& wizard) : wizard_(wizard) {}

    // Entry to the page with a freshly built list: Next off, a free unticked box.
    void InitPage(const std::vector<const _KS_VOLUME*>& checked);
    // After every change of the list's ticks: checked in list order (null = the disk
    // row, always last) and the rows the list reported.
    void RowChanged(const std::vector<const _KS_VOLUME*>& checked, int rows);
    // The user's own click on the box.
    void SetBoxTicked(bool ticked) { box_.ticked = ticked; }
    const SectorBoxState& Box() const { return box_; }

    int UpDate(const std::vector<const _KS_VOLUME*>& checked, int sourceDisk);
    void OnNextClicked(const std::vector<const _KS_VOLUME*>& checked, int sourceDisk);
    void OnBackClicked();

    // Used sectors and a fiftieth exceed the volume: no room to copy by file system.
    static bool NearlyFull(const _KS_VOLUME& v);

private:
    IWizard& wizard_;
    SectorBoxState box_;
    int lastRows_ = 0;
};
