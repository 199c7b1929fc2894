// What the restore tests over the fixture disk share: the target disk, a restore run
// the way the command channel drives one, and the checks of a restored volume.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BackupDisk.h"
#include "IKSRestore.h"

constexpr unsigned kTargetDisk = 1;

struct RestoreEngineDeleter {
    void operator()(IKSRestore* r) const { r->Release(); }
};
using RestoreEngine = std::unique_ptr<IKSRestore, RestoreEngineDeleter>;

// A fresh sparse disk of the fixture's size and partition table, named as disk 1.
std::string MakeTargetDisk(const std::string& folder);
_KS_RESTORE_TARGET TargetOf(const FixturePartition& p);

struct RestoreOutcome {
    _KS_PROGRESS_INFO last{};
    std::vector<_KS_VOLUME> volumes;
};

// Lists the set, queues each wanted volume onto its partition, runs and polls.
RestoreOutcome RunRestore(IKSRestore* engine, const std::wstring& setPath, const std::vector<FixturePartition>& parts,
                          const std::wstring& password = L"", bool cancel = false, size_t versionIndex = SIZE_MAX);

// Starts the queued restores and polls until the run ends (finished or cancelled);
// a refused start comes back as the record's result, without polling.
_KS_PROGRESS_INFO ExecuteAndWait(IKSRestore* engine);

std::string Md5Of(const std::string& command);
void ExpectSameNtfs(const std::string& restored, const std::string& original);
void ExpectSameFat(const std::string& restored, const std::string& original, const std::string& folder);
