#include "CDriveLetterLogic.h"

#include "IWizard.h"
#include "PartitionRules.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"

DriveLetterChoices CDriveLetterLogic::InitPage()
{
    wizard_.SetBtnNextText("_Next>");
    return DriveLetterChoices{};
}

int CDriveLetterLogic::UpDate(bool yesSelected, const std::string& activeText)
{
    TagRestoreInfo* info = wizard_.GetParam();
    info->nLastPage = RESTORE_PAGE_DRIVE_LETTER;
    char letter = kNoLetter;
    const _KS_VOLUME* v = info->FirstVolume();
    const bool other = v != nullptr && GetFileSystem(GetFileSysTypeFromVoltype(v->FileSystem), v->PartitionType) == "Other";
    if (yesSelected && !other && !activeText.empty())
        letter = activeText[0];
    info->targetPartition.DriveLetter = letter;
    info->newPartition.DriveLetter = letter;
    return 0;
}

void CDriveLetterLogic::OnNextClicked(bool yesSelected, const std::string& activeText)
{
    if (UpDate(yesSelected, activeText) != 0)
        return;
    wizard_.OnNext();
}

std::vector<std::string> CDriveLetterLogic::Description(bool yesSelected)
{
    if (yesSelected)
        return {"Select this item if you want to assign a drive letter to the restored partition. ",
                "Please select a drive letter from the list."};
    return {"The restored partition will not have a logical drive letter assigned.",
            "You will be able to assign a drive letter to this partition later from Windows Disk",
            "Management Console."};
}
