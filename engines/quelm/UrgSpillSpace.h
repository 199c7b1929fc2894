// The spill space of the urgent-block store: one virtual byte space cut into spill
// files ("<folder>\<prefix>NNN.zet"), each a sparse file behind a reserved file
// mapping that grows in steps as data arrives. Every access maps a view at 64 KiB
// granularity and unmaps it at once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UrgStoreLayout.h"

class UrgSpillSpace {
public:
    UrgSpillSpace(const std::wstring& folder, const std::wstring& prefix, const UrgStoreLayout& layout);
    ~UrgSpillSpace();
    UrgSpillSpace(const UrgSpillSpace&) = delete;
    UrgSpillSpace& operator=(const UrgSpillSpace&) = delete;

    // 0; 87 (ERROR_INVALID_PARAMETER) for an offset or length that is not whole
    // sectors; the spill-file kind 0x10B when a file, its mapping or a view fails, or
    // the run would need a file past the last one.
    unsigned long Write(uint64_t offset, const void* data, uint64_t length);
    // As Write; 87 also for bytes that were never reserved.
    unsigned long Read(uint64_t offset, void* buffer, uint64_t length);
    // Closes every file and mapping and deletes every spill file made.
    void Destroy();

    uint64_t ReservedBytes() const { return reserved_; }
    // The name of spill file number n.
    std::wstring FileName(uint32_t number) const;

private:
    unsigned long WriteInFile(uint32_t number, uint64_t local, const unsigned char* data, uint64_t length);
    unsigned long ReadInFile(uint32_t number, uint64_t local, unsigned char* buffer, uint64_t length);
    unsigned long OpenFile(uint32_t number);
    unsigned long GrowMapping(uint32_t number, uint64_t end);
    // Copies between the caller and the file's bytes [local, local + length).
    unsigned long CopyThroughView(uint32_t number, uint64_t local, unsigned char* bytes, uint64_t length, bool write);

    std::wstring folder_;
    std::wstring prefix_;
    UrgStoreLayout layout_;
    std::vector<HANDLE> files_;
    std::vector<HANDLE> mappings_;
    std::vector<uint64_t> mapped_;   // bytes of each file its mapping covers
    std::vector<std::wstring> names_; // spill files made, for deletion
    uint64_t reserved_ = 0;
};
