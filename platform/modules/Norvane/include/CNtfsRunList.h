// The run list of a non-resident attribute: which clusters (LCN) hold which part of
// the attribute (VCN), decoded from the attribute's mapping pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One run: Length clusters from VCN onward live at LCN onward; LCN -1 marks a
// sparse run (no clusters on disk, reads as zeros).
struct tagDataRun {
    int64_t LCN;
    int64_t VCN;
    int64_t Length;
};

enum : int64_t { NTFS_SPARSE_LCN = -1 };

class CNtfsRunList {
public:
    // Decodes mapping pairs of size bytes whose first run starts at firstVcn. Every
    // run must have a positive length of at most clusterCount clusters, lie within
    // the clusterCount clusters of the volume (when not sparse), and the list must
    // end with a 0 byte inside the buffer. On failure the list is left empty.
    bool DecodeMappingPairs(const unsigned char* pairs, size_t size, int64_t firstVcn, int64_t clusterCount);

    // Appends one run, or all runs of another list, after the last run; the VCNs
    // of appended runs are renumbered to follow on.
    void Append(const tagDataRun& run);
    void Append(const CNtfsRunList& other);
    void Clear() { runs_.clear(); }

    bool IsEmpty() const { return runs_.empty(); }
    size_t GetRunCount() const { return runs_.size(); }
    const tagDataRun& GetRun(size_t index) const { return runs_[index]; }
    const std::vector<tagDataRun>& GetRuns() const { return runs_; }
    // The VCN after the last run (the sum of the lengths when the list starts at 0).
    int64_t GetNextVcn() const;
    int64_t GetTotalClusters() const;

    // Finds the run holding vcn: its LCN at vcn (-1 when sparse) and the clusters
    // left in the run from vcn. False when no run holds it.
    bool VcnToLcn(int64_t vcn, int64_t& lcn, int64_t& clustersLeft) const;

private:
    std::vector<tagDataRun> runs_;
};
