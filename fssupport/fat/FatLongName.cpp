#include "FatLongName.h"

#include "LittleEndian.h"

namespace {
// Where the 13 UTF-16 characters of a long-name entry lie.
constexpr unsigned kCharOffsets[FatLongName::kCharsPerEntry] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
} // namespace

uint8_t FatLongName::ShortNameChecksum(const unsigned char* shortEntry)
{
    uint8_t sum = 0;
    for (unsigned i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + shortEntry[i]);
    return sum;
}

void FatLongName::Forget()
{
    pending_ = false;
    entries_ = 0;
    nextSequence_ = 0;
}

void FatLongName::Add(const unsigned char* entry, size_t index)
{
    const unsigned sequence = entry[0] & 0x3F;
    const bool first = (entry[0] & 0x40) != 0;
    // A sequence number of 0 or above the limit cannot place its characters.
    if (sequence == 0 || sequence > kMaxEntries) {
        Forget();
        return;
    }
    if (first) {
        Forget();
        for (char16_t& c : chars_)
            c = 0;
        pending_ = true;
        entries_ = sequence;
        checksum_ = entry[13];
        startIndex_ = index;
    } else if (!pending_ || sequence != nextSequence_ || entry[13] != checksum_) {
        Forget();
        return;
    }
    const unsigned base = (sequence - 1) * kCharsPerEntry;
    for (unsigned i = 0; i < kCharsPerEntry; ++i)
        chars_[base + i] = static_cast<char16_t>(LoadLE16(entry + kCharOffsets[i]));
    nextSequence_ = sequence - 1;
}

std::wstring FatLongName::TakeFor(const unsigned char* shortEntry)
{
    std::wstring name;
    if (pending_ && nextSequence_ == 0 && checksum_ == ShortNameChecksum(shortEntry)) {
        const unsigned limit = entries_ * kCharsPerEntry;
        for (unsigned i = 0; i < limit && chars_[i] != 0 && chars_[i] != 0xFFFF; ++i)
            name.push_back(static_cast<wchar_t>(chars_[i]));
        firstIndex_ = startIndex_;
    }
    Forget();
    return name;
}
