// Runs the engine the way its caller does: options, source, filters and callback set,
// Execute, the progress record polled until the run ends; and reads a finished set
// back through the container.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "IKSBackup.h"
#include "IKSCofran.h"

struct BackupRequest {
    std::wstring imagePath;
    std::wstring password;
    std::wstring comment = L"backup test";
    uint32_t splitMiB = 0;
    uint32_t level = 1;
    uint32_t sectorBySector = 0;
    uint32_t setMode = 0;
    uint32_t storageType = KS_STORAGE_FILE;
    std::wstring tempPath;                                  // empty: the engine's own
    std::vector<uint32_t> partitions;                       // partition indexes on disk 0
    std::vector<std::vector<uint8_t>> filters;
    std::function<unsigned long(unsigned long, void*)> onMessage;
    // Called once per poll with the record; return true to cancel the run.
    std::function<bool(const _KS_PROGRESS_INFO&)> cancelWhen;
};

struct BackupOutcome {
    _KS_PROGRESS_INFO last{};
    std::vector<uint32_t> statesSeen;
    unsigned long executeResult = 0;
    std::vector<unsigned long> messages;
};

_KS_BACKUP_OPTION MakeOptions(const BackupRequest& request);
std::vector<uint8_t> MakeSource(const BackupRequest& request);
BackupOutcome RunBackup(const BackupRequest& request);

// The set's files in a folder, by name.
std::vector<std::string> FilesIn(const std::string& folder);

// Five copies of one partition of disk 0, stored sector by sector and uncompressed in
// files of 50 MiB named after folder + "/split.rvd": most copies begin in one file and
// end in the next. Returns the folder's files, by name.
std::vector<std::string> BackUpSplitCopies(const std::string& folder, uint32_t partitionIndex);

// The container opened on a set for random reads; released by the deleter.
struct CofranDeleter {
    void operator()(IKSCofran* c) const { if (c != nullptr) c->Release(); }
};
IKSCofran* OpenSet(const std::wstring& path, const std::wstring& password, unsigned long mode = KS_OPEN_RANDOM);
std::wstring Wide(const std::string& text);
