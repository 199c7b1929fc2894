// The decisions of the restore mode page: which kinds of partition (active primary,
// primary, logical) the target disk allows and leave room for the image, and, on
// Next, where the new partition lies and its creation in the device manager's memory
// with the retry ladder of positions the layout may refuse.
#pragma once

#include <cstdint>

class IManagerItem;
class IWizard;
class IWizardMessages;
struct _KS_VOLUME;

enum class RestoreKind { Active, Primary, Logical };

struct RestoreModeChoices {
    bool activeSensitive = true;
    bool primarySensitive = true;
    bool logicalSensitive = true;
    RestoreKind selected = RestoreKind::Active;
    bool nextEnabled = true;
};

// The target as the page reads it from the record and the device manager.
struct RestoreModeTarget {
    unsigned long checkFlags = 0;  // CheckItem of the target's disk
    bool roomForLogical = false;   // IfCanCreateLogicalPartition
    uint64_t available = 0;        // target sectors + free before + free after
    uint64_t firstSector = 0;
    bool primary = false;
    bool active = false;
    uint64_t sectorsPerTrack = 63;
    uint64_t cylinder = 16065;
};

class CRestoreModeLogic {
public:
    CRestoreModeLogic(IWizard& wizard, IWizardMessages& messages) : wizard_(wizard), messages_(messages) {}

    // The choices offered for a target; the current ones stay where nothing decides.
    static RestoreModeChoices Decide(const RestoreModeTarget& target, const _KS_VOLUME& v, bool sectorBySector,
                                     const RestoreModeChoices& current);
    static bool SpaceTestPasses(const RestoreModeTarget& target, const _KS_VOLUME& v, bool sectorBySector);
    // At least 2.5609375 MB for a logical partition, a first logical partition
    // paying for its extended table's cylinder.
    static bool RoomForLogical(uint64_t targetSectors, int64_t freeBefore, int64_t freeAfter, bool firstLogical,
                               uint64_t cylinder);

    // Reads the target from the record and the device manager. False when there is
    // no target item or the page is not reached from the target partition page: the
    // choices then stay.
    bool InitPage(RestoreModeChoices& choices);
    // The radio buttons' state into the record.
    void SetKind(RestoreKind kind);
    // Lays out and creates the new partition: 0 on success, -1 to stay.
    int UpDate();
    void OnNextClicked(RestoreKind kind);

    static constexpr const char* kLayoutRefused = "Some error happened! Please restart the restore wizard!";

private:
    IWizard& wizard_;
    IWizardMessages& messages_;
};
