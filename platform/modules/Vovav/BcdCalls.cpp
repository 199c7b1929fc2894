// Bcd_*: the BCD store of a system that boots the Vista way. Bcd_Init takes the
// restore engine's record, looks for "\Boot\BCD" on the restored volume it names and,
// when the store is there, rewrites its device elements that named the volume's old
// place (old disk signature, old first sector) to name the new one, writing the store
// back whole. The questions after it answer for the store Bcd_Init found: a volume
// with a store is a Vista-style boot and the partition that holds the store. Nothing
// stays open between the calls, so the lock and unlock have nothing to do.
#include <mutex>
#include <string>

#include "BcdStore.h"
#include "VolumeRoot.h"
#include "Vovav.h"
#include "VovavExport.h"
#include "VovavRecords.h"

namespace {

struct BcdState {
    bool storeFound = false;
    bool storeInUse = false;
};

std::mutex bcdLock;
BcdState bcdState;

} // namespace

extern "C" VOVAV_EXPORT unsigned long Bcd_Init(IManager*, const unsigned char* record)
{
    std::lock_guard<std::mutex> guard(bcdLock);
    bcdState = BcdState{};
    if (record == nullptr)
        return 1;
    const KSBcdOption option = KSLoadBcdOption(record);
    const std::string root = VolumeRootOf(option.letter, option.volumePath, KS_BCD_PATH_CHARS);
    if (root.empty())
        return 1;
    if (BcdStoreInUse(root)) {
        // The running system's own store: not edited as a file.
        bcdState.storeFound = bcdState.storeInUse = true;
        return 0;
    }
    const BcdPartitionPlace from{option.oldSignature, option.oldFirstSector * 512};
    const BcdPartitionPlace to{option.newSignature, option.newFirstSector * 512};
    unsigned rewritten = 0;
    const BcdStoreOutcome outcome = RewriteBcdStore(root, from, to, rewritten);
    bcdState.storeFound = outcome != BcdStoreOutcome::kMissing;
    return outcome == BcdStoreOutcome::kFailed ? 1 : 0;
}

extern "C" VOVAV_EXPORT bool Bcd_IsVistaBoot()
{
    std::lock_guard<std::mutex> guard(bcdLock);
    return bcdState.storeFound;
}

extern "C" VOVAV_EXPORT bool Bcd_IsUsingBcdFile()
{
    std::lock_guard<std::mutex> guard(bcdLock);
    return bcdState.storeInUse;
}

extern "C" VOVAV_EXPORT bool Bcd_IsBcdPartition()
{
    std::lock_guard<std::mutex> guard(bcdLock);
    return bcdState.storeFound;
}

extern "C" VOVAV_EXPORT void Bcd_LockBcdFile() {}

extern "C" VOVAV_EXPORT void Bcd_UnlockBcdFile() {}
