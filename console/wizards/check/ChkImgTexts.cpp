#include "ChkImgTexts.h"

#include <cstring>

#include "RecoveryEnv.h"
#include "RestoreDisplayTexts.h"

namespace ChkImgTexts {

const char* GetVolumeType(unsigned fileSystem, unsigned partitionType)
{
    switch (fileSystem) {
    case 1: return "FAT12";
    case 2: return "FAT16";
    case 3: return "FAT32";
    case 4: return "NTFS";
    case 5: return "EXT2";
    case 6: return "EXT3";
    case 7: return "Other";
    case 8: return "Other(BitLocker Encrypted)";
    case 9: return "Other";
    default: break;
    }
    // The ids of the partition kinds a file system can be made on.
    const unsigned formattable = 0x58F2;
    return partitionType < 15 && (formattable >> partitionType & 1) != 0 ? "Unformatted" : "Other";
}

char VolumeLetter(const _KS_VOLUME& v)
{
    // The backup records 0 (A:) for a volume without a letter, and A: is never a hard
    // disk volume's letter: such volumes show "*", as the volume lists show them.
    return v.DriveLetter >= 1 && v.DriveLetter <= 25 ? static_cast<char>('A' + v.DriveLetter) : '*';
}

namespace {

std::string Size(const _KS_VOLUME& v)
{
    return RestoreDisplayTexts::SizeOfSectors(v.TotalSectors);
}

void Add(SummaryText& text, const std::string& piece, bool emphasis = false)
{
    text.push_back({piece, emphasis});
}

} // namespace

SummaryText Summary(const char* imagePath, const std::vector<_KS_VOLUME*>& volumes)
{
    SummaryText t;
    Add(t, "\n  Summary\n", true);
    Add(t, "       From file: " + RestoreDisplayTexts::ImagePath(imagePath) + "\n");
    Add(t, "\n");
    Add(t, "  Check image", true);
    for (const _KS_VOLUME* v : volumes) {
        if (v == nullptr)
            continue;
        Add(t, "\n");
        Add(t, std::string("   Drive letter: ") + VolumeLetter(*v));
        Add(t, "\n");
        Add(t, std::string("    File system: ") + GetVolumeType(v->FileSystem, v->PartitionType));
        Add(t, "\n");
        Add(t, "   Volume label: " + RestoreDisplayTexts::VolumeLabel(*v));
        Add(t, "\n");
        Add(t, "           Size: " + Size(*v));
        Add(t, " ");
        Add(t, "\n");
    }
    return t;
}

SummaryText ProgressHeading()
{
    return {{"\n  Summary\n", true}};
}

SummaryText VolumeBlock(const char* imagePath, const _KS_VOLUME& v)
{
    SummaryText t;
    Add(t, "      From file: " + RestoreDisplayTexts::ImagePath(imagePath) + "\n");
    Add(t, "\n  Checking image", true);
    Add(t, "\n");
    Add(t, "     Hard disk: " + std::to_string(v.DiskNumber + 1));
    Add(t, "\n");
    Add(t, std::string("  Drive letter: ") + VolumeLetter(v));
    Add(t, "\n");
    Add(t, "  Volume label: " + RestoreDisplayTexts::VolumeLabel(v));
    Add(t, "\n");
    Add(t, std::string("   File system: ") + GetVolumeType(v.FileSystem, v.PartitionType));
    Add(t, "\n");
    Add(t, "          Size: " + Size(v));
    Add(t, " ");
    Add(t, "\n");
    return t;
}

std::string DateSizeLine(const std::string& date, long long bytes)
{
    std::string line = " Date:" + date;
    if (bytes >= 0)
        line += "   Size:" + GetFileSizeString(bytes);
    return line + std::string(9, '\t');
}

bool CopyPath(const std::string& path, char* field, size_t capacity)
{
    if (capacity == 0 || path.size() >= capacity)
        return false;
    std::memcpy(field, path.c_str(), path.size() + 1);
    return true;
}

std::string CutToBytes(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t cut = maxBytes;
    // Back up over continuation bytes to the start of the character that would be split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

} // namespace ChkImgTexts
