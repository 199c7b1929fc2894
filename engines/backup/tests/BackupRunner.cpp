#include "BackupRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <dirent.h>
#include <algorithm>
#include <thread>

#include "KSResult.h"

namespace {
unsigned long OnMessage(void* user, unsigned long message, void* data)
{
    auto* pair = static_cast<std::pair<const BackupRequest*, BackupOutcome*>*>(user);
    pair->second->messages.push_back(message);
    return pair->first->onMessage ? pair->first->onMessage(message, data) : 1;
}
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

_KS_BACKUP_OPTION MakeOptions(const BackupRequest& request)
{
    _KS_BACKUP_OPTION o{};
    o.Size = KS_BACKUP_OPTION_SIZE;
    o.SectorBySector = request.sectorBySector;
    o.CompressLevel = request.level;
    o.SplitMiB = request.splitMiB;
    o.Encrypt = request.password.empty() ? 0 : 1;
    o.StorageType = request.storageType;
    KSFieldFromWide(request.imagePath, o.ImagePath, KS_BACKUP_PATH_CHARS);
    KSFieldFromWide(request.password, o.Password, KS_BACKUP_PASSWORD_CHARS);
    KSFieldFromWide(request.comment, o.Comment, KS_BACKUP_COMMENT_CHARS);
    return o;
}

std::vector<uint8_t> MakeSource(const BackupRequest& request)
{
    const uint32_t count = static_cast<uint32_t>(request.partitions.size());
    std::vector<uint8_t> bytes(KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE * count);
    _KS_BACKUP_SOURCE head{static_cast<uint32_t>(bytes.size()), 0, request.setMode, 0, count};
    KSBackupSourceToBytes(head, bytes.data());
    for (uint32_t i = 0; i < count; ++i) {
        _KS_VOLUME_ITEM item{};
        item.CallerWords[0] = 0xC0FFEE00 + i;
        item.DiskNumber = 0;
        item.PartitionNumber = request.partitions[i];
        KSVolumeItemToBytes(item, bytes.data() + KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE * i);
    }
    return bytes;
}

BackupOutcome RunBackup(const BackupRequest& request)
{
    BackupOutcome outcome;
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectBk(1, KS_BACKUP_KIND, &object));
    IKSBackup* backup = static_cast<IKSBackup*>(object);
    if (backup == nullptr)
        return outcome;
    const _KS_BACKUP_OPTION options = MakeOptions(request);
    EXPECT_EQ(0u, backup->SetBackupOption(&options));
    const std::vector<uint8_t> source = MakeSource(request);
    EXPECT_EQ(0u, backup->SetBackupSource(reinterpret_cast<const _KS_BACKUP_SOURCE*>(source.data())));
    for (const std::vector<uint8_t>& filter : request.filters)
        EXPECT_EQ(0u, backup->AddFilter(reinterpret_cast<const _KS_FILTERS_HEAD*>(filter.data())));
    if (!request.tempPath.empty()) {
        EXPECT_EQ(0u, backup->SetTempPath(request.tempPath.c_str()));
    }
    std::pair<const BackupRequest*, BackupOutcome*> user(&request, &outcome);
    backup->SetCallBack(OnMessage, &user);
    outcome.executeResult = backup->Execute();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    for (;;) {
        backup->GetBackupProgress(&outcome.last, sizeof(outcome.last));
        if (outcome.statesSeen.empty() || outcome.statesSeen.back() != outcome.last.State)
            outcome.statesSeen.push_back(outcome.last.State);
        if (outcome.last.State == KS_BACKUP_STATE_FINISHED)
            break;
        if (request.cancelWhen && request.cancelWhen(outcome.last)) {
            backup->UserCancel();
            continue;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the run did not finish";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    backup->Release();
    return outcome;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> BackUpSplitCopies(const std::string& folder, uint32_t partitionIndex)
{
    BackupRequest request;
    request.imagePath = Wide(folder + "/split.rvd");
    request.partitions.assign(5, partitionIndex);
    request.sectorBySector = 1;
    request.level = 0;
    request.splitMiB = 50;
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    return FilesIn(folder);
}

IKSCofran* OpenSet(const std::wstring& path, const std::wstring& password, unsigned long mode)
{
    void* object = nullptr;
    if (KSCreateObjectImg(1, 1, &object) != 0)
        return nullptr;
    IKSCofran* set = static_cast<IKSCofran*>(object);
    const unsigned long rc = set->OpenCofran(path.c_str(), mode, password.empty() ? nullptr : password.c_str(),
                                             static_cast<unsigned long>(password.size() * sizeof(wchar_t)));
    if (rc != 0) {
        ADD_FAILURE() << "OpenCofran 0x" << std::hex << rc;
        set->Release();
        return nullptr;
    }
    return set;
}
