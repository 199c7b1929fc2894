// A scripted, recording command object for the wizards' unit tests. It records every
// call with its arguments; answers image questions (versions, volumes, comment,
// password) from its script; runs the partition calls on an in-memory device tree;
// plays a progress timeline; and, once a run is started, calls the registered
// callback from a worker thread of its own with scripted requests, keeping the
// answers. It can instead forward every call to a real command object and fail only
// a chosen call, so that a failure path runs against the real engines.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CdChangeInfo.h"
#include "ITasque.h"

class CMemoryVessmar;

enum class TasqueOp {
    EnumInit, EnumGetDiskCount, EnumGetDiskInfo, EnumGetPartitionCount, EnumGetPartitionInfo,
    RestoreSetImgInfo, RestoreGetImageVersions, RestoreGetImgVolumes, RestoreGetVerComment,
    AddRestore, AddDiskRestore, RestoreSetStringParam, RestoreExecute, RestoreSetCallBack,
    RestoreGetProgress, RestoreUserCancel, RestoreIsPwdProtect, RestoreSetPassword, RestoreSetDiskMode,
    CheckIsPwdProtect, CheckSetPassword, CheckSetImgInfo, CheckGetImageVersions, CheckGetImgVolumes,
    CheckGetVerComment, AddCheck, CheckExecute, CheckSetPromptCall, CheckGetProgress, CheckUserCancel,
    DeletePartition, IsBadDisk, AddPartition, FindPartition, GetDiskItem, CheckFileSystem, Release,
};

const char* TasqueOpName(TasqueOp op);

// One recorded call: the numbers it carried in order, its text (path or password),
// and its records where it has them.
struct TasqueCall {
    TasqueOp op = TasqueOp::EnumInit;
    std::vector<unsigned long long> numbers;
    std::wstring text;
    AddPartitionParam partition{};
    _RESTORE_INFO source{};
    _RESTORE_INFO target{};
    _KS_VOLUME volume{};
    unsigned long result = 0;
};

// A request the worker hands to the registered callback.
struct ScriptedCallback {
    unsigned long message = 0;
    CD_CHANGE_INFO data{};
};

class CScriptedTasque : public ITasque {
public:
    // forward: a real command object every unfailed call goes to (not owned; the
    // stand-in's Release releases it); null answers from the script.
    explicit CScriptedTasque(ITasque* forward = nullptr);
    ~CScriptedTasque() override;

    // --- script ---
    // The occurrence-th call (from 1) of op fails with code, without reaching the
    // forward object or the tree; 0 fails every call of op.
    void FailCall(TasqueOp op, unsigned long code, int occurrence = 0);
    // Partition calls act on this tree (disk numbers index its disks).
    void UseTree(CMemoryVessmar* tree) { tree_ = tree; }

    std::vector<_KS_VERSION> versions;
    std::vector<_KS_VOLUME> volumes;
    std::u16string comment;           // the first version's comment, UTF-16 as stored
    bool passwordProtected = false;
    std::wstring password;            // the one RestoreSetPassword and CheckSetPassword accept
    std::vector<_KS_DISK_INFO> disks;
    std::vector<std::vector<_KS_PARTITION_INFO>> partitions;
    // Each GetProgress answers the next record; the last one repeats.
    std::vector<_KS_PROGRESS_INFO> restoreTimeline;
    std::vector<_KS_PROGRESS_INFO> checkTimeline;
    // Requests the worker sends after RestoreExecute / CheckExecute.
    std::vector<ScriptedCallback> restoreRequests;
    std::vector<ScriptedCallback> checkRequests;

    // --- record ---
    const std::vector<TasqueCall>& Calls() const { return calls_; }
    std::vector<TasqueCall> CallsOf(TasqueOp op) const;
    size_t CountOf(TasqueOp op) const;
    // The callback's answers, in order, as the worker received them.
    std::vector<unsigned long> CallbackAnswers() const;
    // Waits for the worker to have sent every request and got its answers.
    void JoinWorker();
    int Releases() const { return releases_; }

    // --- ITasque ---
    unsigned long EnumInit() override;
    unsigned long EnumGetDiskCount(unsigned long long* count) override;
    unsigned long EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record) override;
    unsigned long EnumGetPartitionCount(unsigned long long disk, unsigned long long* count) override;
    unsigned long EnumGetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                       _KS_PARTITION_INFO* record) override;
    unsigned long RestoreSetImgInfo(_KS_VERSION* version, wchar_t* imagePath) override;
    unsigned long RestoreGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, unsigned long* count,
                                          wchar_t* imagePath) override;
    unsigned long RestoreGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, unsigned long* count,
                                       _KS_VERSION* version) override;
    unsigned long RestoreGetVerComment(wchar_t* buffer, unsigned long capacity, unsigned long* length,
                                       _KS_VERSION* version) override;
    unsigned long AddRestore(_KS_VOLUME* source, const _RESTORE_INFO* target, unsigned long option) override;
    unsigned long AddDiskRestore(const _RESTORE_INFO* source, const _RESTORE_INFO* target,
                                 unsigned long flag) override;
    unsigned long RestoreSetStringParam(const wchar_t* param) override;
    unsigned long RestoreExecute() override;
    unsigned long RestoreSetCallBack(KS_CMD_CALLBACK callback, void* context) override;
    unsigned long RestoreGetProgress(_KS_PROGRESS_INFO* progress) override;
    unsigned long RestoreUserCancel() override;
    unsigned long RestoreIsPwdProtect(wchar_t* imagePath) override;
    unsigned long RestoreSetPassword(wchar_t* password, unsigned long bytes) override;
    unsigned long RestoreSetDiskMode(unsigned long flag) override;
    unsigned long CheckIsPwdProtect(wchar_t* imagePath) override;
    unsigned long CheckSetPassword(wchar_t* password, unsigned long bytes) override;
    unsigned long CheckSetImgInfo(_KS_VERSION* version, wchar_t* imagePath) override;
    unsigned long CheckGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count,
                                        wchar_t* imagePath) override;
    unsigned long CheckGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                     _KS_VERSION* version) override;
    unsigned long CheckGetVerComment(wchar_t* buffer, unsigned long capacity, int* length,
                                     _KS_VERSION* version) override;
    unsigned long AddCheck(_KS_VOLUME* volume) override;
    unsigned long CheckExecute() override;
    unsigned long CheckSetPromptCall(KS_CMD_CALLBACK callback, void* context) override;
    unsigned long CheckGetProgress(_KS_PROGRESS_INFO* progress) override;
    unsigned long CheckUserCancel() override;
    unsigned long DeletePartition(uint8_t disk, unsigned long long firstSector,
                                  unsigned long long sectorCount) override;
    unsigned long IsBadDisk(uint8_t disk, unsigned long long firstSector, unsigned long long lastSector) override;
    unsigned long AddPartition(uint8_t disk, AddPartitionParam record) override;
    unsigned long FindPartition(uint8_t disk, unsigned long long firstSector, unsigned long long sectorCount,
                                IManagerItem** item) override;
    unsigned long GetDiskItem(uint8_t disk, IManagerItem** item) override;
    unsigned long CheckFileSystem(unsigned long disk, unsigned long firstLow, unsigned long firstHigh,
                                  unsigned long reserved) override;
    unsigned long Release() override;

    // The code a scripted failure of the tree's partition calls gives.
    static constexpr unsigned long kTreeRefused = 0x00070009;
    static constexpr unsigned long kNotScripted = 0x0007000A;

private:
    TasqueCall& Record(TasqueOp op, std::vector<unsigned long long> numbers = {});
    // True when this call of op is scripted to fail; its code goes to result.
    bool Failing(TasqueOp op, unsigned long& result);
    unsigned long Done(TasqueCall& call, unsigned long result);
    // The text read within bytes goes to seen; true when it is the scripted password
    // and bytes is its length in bytes.
    bool MatchesPassword(const wchar_t* text, unsigned long bytes, std::wstring* seen) const;
    void StartWorker(const std::vector<ScriptedCallback>& requests, KS_CMD_CALLBACK callback, void* context);
    static _KS_PROGRESS_INFO Next(std::vector<_KS_PROGRESS_INFO>& timeline, size_t& position);

    struct Failure {
        unsigned long code;
        int occurrence;
    };
    ITasque* forward_;
    CMemoryVessmar* tree_ = nullptr;
    std::vector<TasqueCall> calls_;
    std::map<TasqueOp, std::vector<Failure>> failures_;
    std::map<TasqueOp, int> seen_;
    KS_CMD_CALLBACK restoreCallback_ = nullptr;
    void* restoreContext_ = nullptr;
    KS_CMD_CALLBACK checkCallback_ = nullptr;
    void* checkContext_ = nullptr;
    size_t restoreProgressAt_ = 0;
    size_t checkProgressAt_ = 0;
    bool passwordAccepted_ = false;
    int releases_ = 0;
    mutable std::mutex answersLock_;
    std::vector<unsigned long> answers_;
    std::thread worker_;
};
