#include "CNtfsRunList.h"

namespace {

// Reads an n-byte little-endian integer, sign-extended when asked.
int64_t ReadVarInt(const unsigned char* p, unsigned n, bool isSigned)
{
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    if (isSigned && n < 8 && (p[n - 1] & 0x80))
        v |= ~uint64_t(0) << (8 * n);
    return static_cast<int64_t>(v);
}

// Clusters of a volume are counted well below 2^48; anything above is damage and
// would only risk overflow in the sums below.
constexpr int64_t kMaxClusters = int64_t(1) << 48;

} // namespace

bool CNtfsRunList::DecodeMappingPairs(const unsigned char* pairs, size_t size, int64_t firstVcn,
                                      int64_t clusterCount)
{
    runs_.clear();
    if (pairs == nullptr || firstVcn < 0 || firstVcn >= kMaxClusters)
        return false;
    size_t pos = 0;
    int64_t vcn = firstVcn;
    int64_t lcn = 0;
    while (true) {
        if (pos >= size) {
            runs_.clear();
            return false; // no terminating zero inside the attribute
        }
        const unsigned char head = pairs[pos++];
        if (head == 0)
            return true;
        const unsigned lengthBytes = head & 0x0F;
        const unsigned offsetBytes = head >> 4;
        if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8 || size - pos < lengthBytes + offsetBytes) {
            runs_.clear();
            return false;
        }
        const int64_t length = ReadVarInt(pairs + pos, lengthBytes, true);
        pos += lengthBytes;
        // No run, sparse or not, is longer than the volume: a damaged length would
        // otherwise reach the byte arithmetic of the readers (clusters x cluster
        // bytes) and wrap there.
        if (length <= 0 || length > clusterCount || length > kMaxClusters || vcn + length > kMaxClusters) {
            runs_.clear();
            return false;
        }
        tagDataRun run{NTFS_SPARSE_LCN, vcn, length};
        if (offsetBytes != 0) {
            const int64_t delta = ReadVarInt(pairs + pos, offsetBytes, true);
            pos += offsetBytes;
            if (delta > kMaxClusters || delta < -kMaxClusters) {
                runs_.clear();
                return false;
            }
            lcn += delta;
            if (lcn < 0 || lcn + length > clusterCount) {
                runs_.clear();
                return false;
            }
            run.LCN = lcn;
        }
        runs_.push_back(run);
        vcn += length;
    }
}

void CNtfsRunList::Append(const tagDataRun& run)
{
    tagDataRun copy = run;
    copy.VCN = runs_.empty() ? run.VCN : GetNextVcn();
    runs_.push_back(copy);
}

void CNtfsRunList::Append(const CNtfsRunList& other)
{
    for (const tagDataRun& run : other.runs_)
        Append(run);
}

int64_t CNtfsRunList::GetNextVcn() const
{
    return runs_.empty() ? 0 : runs_.back().VCN + runs_.back().Length;
}

int64_t CNtfsRunList::GetTotalClusters() const
{
    int64_t total = 0;
    for (const tagDataRun& run : runs_)
        total += run.Length;
    return total;
}

bool CNtfsRunList::VcnToLcn(int64_t vcn, int64_t& lcn, int64_t& clustersLeft) const
{
    for (const tagDataRun& run : runs_) {
        if (vcn >= run.VCN && vcn < run.VCN + run.Length) {
            lcn = run.LCN == NTFS_SPARSE_LCN ? NTFS_SPARSE_LCN : run.LCN + (vcn - run.VCN);
            clustersLeft = run.VCN + run.Length - vcn;
            return true;
        }
    }
    return false;
}
