#include "CScriptedTasque.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "CMemoryVessmar.h"
#include "ScriptedTasqueAnswers.h"

using namespace scripted_tasque;

const char* TasqueOpName(TasqueOp op)
{
    static const char* const names[] = {
        "EnumInit", "EnumGetDiskCount", "EnumGetDiskInfo", "EnumGetPartitionCount", "EnumGetPartitionInfo",
        "RestoreSetImgInfo", "RestoreGetImageVersions", "RestoreGetImgVolumes", "RestoreGetVerComment",
        "AddRestore", "AddDiskRestore", "RestoreSetStringParam", "RestoreExecute", "RestoreSetCallBack",
        "RestoreGetProgress", "RestoreUserCancel", "RestoreIsPwdProtect", "RestoreSetPassword",
        "RestoreSetDiskMode", "CheckIsPwdProtect", "CheckSetPassword", "CheckSetImgInfo",
        "CheckGetImageVersions", "CheckGetImgVolumes", "CheckGetVerComment", "AddCheck", "CheckExecute",
        "CheckSetPromptCall", "CheckGetProgress", "CheckUserCancel", "DeletePartition", "IsBadDisk",
        "AddPartition", "FindPartition", "GetDiskItem", "CheckFileSystem", "Release",
    };
    const size_t i = size_t(op);
    return i < sizeof(names) / sizeof(names[0]) ? names[i] : "?";
}

CScriptedTasque::CScriptedTasque(ITasque* forward) : forward_(forward)
{
}

CScriptedTasque::~CScriptedTasque()
{
    JoinWorker();
}

void CScriptedTasque::FailCall(TasqueOp op, unsigned long code, int occurrence)
{
    failures_[op].push_back({code, occurrence});
}

std::vector<TasqueCall> CScriptedTasque::CallsOf(TasqueOp op) const
{
    std::vector<TasqueCall> out;
    for (const TasqueCall& call : calls_)
        if (call.op == op)
            out.push_back(call);
    return out;
}

size_t CScriptedTasque::CountOf(TasqueOp op) const
{
    return size_t(std::count_if(calls_.begin(), calls_.end(), [op](const TasqueCall& c) { return c.op == op; }));
}

std::vector<unsigned long> CScriptedTasque::CallbackAnswers() const
{
    std::lock_guard<std::mutex> hold(answersLock_);
    return answers_;
}

void CScriptedTasque::JoinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

TasqueCall& CScriptedTasque::Record(TasqueOp op, std::vector<unsigned long long> numbers)
{
    TasqueCall call;
    call.op = op;
    call.numbers = std::move(numbers);
    calls_.push_back(call);
    return calls_.back();
}

bool CScriptedTasque::Failing(TasqueOp op, unsigned long& result)
{
    const int nth = ++seen_[op];
    auto it = failures_.find(op);
    if (it == failures_.end())
        return false;
    for (const Failure& f : it->second)
        if (f.occurrence == 0 || f.occurrence == nth) {
            result = f.code;
            return true;
        }
    return false;
}

unsigned long CScriptedTasque::Done(TasqueCall& call, unsigned long result)
{
    call.result = result;
    return result;
}

_KS_PROGRESS_INFO CScriptedTasque::Next(std::vector<_KS_PROGRESS_INFO>& timeline, size_t& position)
{
    if (timeline.empty())
        return _KS_PROGRESS_INFO{};
    const _KS_PROGRESS_INFO record = timeline[std::min(position, timeline.size() - 1)];
    if (position < timeline.size())
        ++position;
    return record;
}

void CScriptedTasque::StartWorker(const std::vector<ScriptedCallback>& requests, KS_CMD_CALLBACK callback,
                                  void* context)
{
    JoinWorker();
    if (requests.empty() || callback == nullptr)
        return;
    worker_ = std::thread([this, requests, callback, context] {
        for (ScriptedCallback request : requests) {
            const unsigned long answer = callback(context, request.message, &request.data);
            std::lock_guard<std::mutex> hold(answersLock_);
            answers_.push_back(answer);
        }
    });
}


unsigned long CScriptedTasque::EnumInit()
{
    TasqueCall& call = Record(TasqueOp::EnumInit);
    SCRIPTED_FAIL(call, TasqueOp::EnumInit)
    return Done(call, forward_ ? forward_->EnumInit() : 0);
}

unsigned long CScriptedTasque::EnumGetDiskCount(unsigned long long* count)
{
    TasqueCall& call = Record(TasqueOp::EnumGetDiskCount);
    SCRIPTED_FAIL(call, TasqueOp::EnumGetDiskCount)
    if (forward_)
        return Done(call, forward_->EnumGetDiskCount(count));
    if (count)
        *count = disks.size();
    return Done(call, 0);
}

unsigned long CScriptedTasque::EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record)
{
    TasqueCall& call = Record(TasqueOp::EnumGetDiskInfo, {disk});
    SCRIPTED_FAIL(call, TasqueOp::EnumGetDiskInfo)
    if (forward_)
        return Done(call, forward_->EnumGetDiskInfo(disk, record));
    if (record)
        *record = disk < disks.size() ? disks[disk] : _KS_DISK_INFO{};
    return Done(call, disk < disks.size() ? 0 : kNotScripted);
}

unsigned long CScriptedTasque::EnumGetPartitionCount(unsigned long long disk, unsigned long long* count)
{
    TasqueCall& call = Record(TasqueOp::EnumGetPartitionCount, {disk});
    SCRIPTED_FAIL(call, TasqueOp::EnumGetPartitionCount)
    if (forward_)
        return Done(call, forward_->EnumGetPartitionCount(disk, count));
    if (count)
        *count = disk < partitions.size() ? partitions[disk].size() : 0;
    return Done(call, 0);
}

unsigned long CScriptedTasque::EnumGetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                                    _KS_PARTITION_INFO* record)
{
    TasqueCall& call = Record(TasqueOp::EnumGetPartitionInfo, {disk, partition});
    SCRIPTED_FAIL(call, TasqueOp::EnumGetPartitionInfo)
    if (forward_)
        return Done(call, forward_->EnumGetPartitionInfo(disk, partition, record));
    const bool known = disk < partitions.size() && partition < partitions[disk].size();
    if (record)
        *record = known ? partitions[disk][partition] : _KS_PARTITION_INFO{};
    return Done(call, known ? 0 : kNotScripted);
}

unsigned long CScriptedTasque::RestoreSetImgInfo(_KS_VERSION* version, wchar_t* imagePath)
{
    TasqueCall& call = Record(TasqueOp::RestoreSetImgInfo);
    call.text = imagePath ? imagePath : L"";
    SCRIPTED_FAIL(call, TasqueOp::RestoreSetImgInfo)
    return Done(call, forward_ ? forward_->RestoreSetImgInfo(version, imagePath) : 0);
}

unsigned long CScriptedTasque::RestoreGetImageVersions(_KS_VERSION* buffer, unsigned long capacity,
                                                       unsigned long* count, wchar_t* imagePath)
{
    TasqueCall& call = Record(TasqueOp::RestoreGetImageVersions, {capacity});
    call.text = imagePath ? imagePath : L"";
    SCRIPTED_FAIL(call, TasqueOp::RestoreGetImageVersions)
    if (forward_)
        return Done(call, forward_->RestoreGetImageVersions(buffer, capacity, count, imagePath));
    CopyOut(versions, buffer, capacity, count);
    return Done(call, 0);
}

unsigned long CScriptedTasque::RestoreGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, unsigned long* count,
                                                    _KS_VERSION* version)
{
    TasqueCall& call = Record(TasqueOp::RestoreGetImgVolumes, {capacity});
    SCRIPTED_FAIL(call, TasqueOp::RestoreGetImgVolumes)
    if (forward_)
        return Done(call, forward_->RestoreGetImgVolumes(buffer, capacity, count, version));
    CopyOut(volumes, buffer, capacity, count);
    return Done(call, 0);
}

unsigned long CScriptedTasque::RestoreGetVerComment(wchar_t* buffer, unsigned long capacity, unsigned long* length,
                                                    _KS_VERSION* version)
{
    TasqueCall& call = Record(TasqueOp::RestoreGetVerComment, {capacity});
    SCRIPTED_FAIL(call, TasqueOp::RestoreGetVerComment)
    if (forward_)
        return Done(call, forward_->RestoreGetVerComment(buffer, capacity, length, version));
    CopyComment(comment, buffer, capacity, length);
    return Done(call, 0);
}

unsigned long CScriptedTasque::AddRestore(_KS_VOLUME* source, const _RESTORE_INFO* target, unsigned long option)
{
    TasqueCall& call = Record(TasqueOp::AddRestore, {option});
    if (source)
        call.volume = *source;
    if (target)
        call.target = *target;
    SCRIPTED_FAIL(call, TasqueOp::AddRestore)
    return Done(call, forward_ ? forward_->AddRestore(source, target, option) : 0);
}

unsigned long CScriptedTasque::AddDiskRestore(const _RESTORE_INFO* source, const _RESTORE_INFO* target,
                                              unsigned long flag)
{
    TasqueCall& call = Record(TasqueOp::AddDiskRestore, {flag});
    if (source)
        call.source = *source;
    if (target)
        call.target = *target;
    SCRIPTED_FAIL(call, TasqueOp::AddDiskRestore)
    return Done(call, forward_ ? forward_->AddDiskRestore(source, target, flag) : 0);
}

unsigned long CScriptedTasque::RestoreSetStringParam(const wchar_t* param)
{
    TasqueCall& call = Record(TasqueOp::RestoreSetStringParam);
    call.text = param ? param : L"";
    SCRIPTED_FAIL(call, TasqueOp::RestoreSetStringParam)
    return Done(call, forward_ ? forward_->RestoreSetStringParam(param) : 0);
}

unsigned long CScriptedTasque::RestoreExecute()
{
    TasqueCall& call = Record(TasqueOp::RestoreExecute);
    SCRIPTED_FAIL(call, TasqueOp::RestoreExecute)
    if (forward_)
        return Done(call, forward_->RestoreExecute());
    StartWorker(restoreRequests, restoreCallback_, restoreContext_);
    return Done(call, 0);
}

unsigned long CScriptedTasque::RestoreSetCallBack(KS_CMD_CALLBACK callback, void* context)
{
    TasqueCall& call = Record(TasqueOp::RestoreSetCallBack);
    SCRIPTED_FAIL(call, TasqueOp::RestoreSetCallBack)
    restoreCallback_ = callback;
    restoreContext_ = context;
    return Done(call, forward_ ? forward_->RestoreSetCallBack(callback, context) : 0);
}

unsigned long CScriptedTasque::RestoreGetProgress(_KS_PROGRESS_INFO* progress)
{
    TasqueCall& call = Record(TasqueOp::RestoreGetProgress);
    SCRIPTED_FAIL(call, TasqueOp::RestoreGetProgress)
    if (forward_)
        return Done(call, forward_->RestoreGetProgress(progress));
    if (progress)
        *progress = Next(restoreTimeline, restoreProgressAt_);
    return Done(call, 0);
}

unsigned long CScriptedTasque::RestoreUserCancel()
{
    TasqueCall& call = Record(TasqueOp::RestoreUserCancel);
    SCRIPTED_FAIL(call, TasqueOp::RestoreUserCancel)
    return Done(call, forward_ ? forward_->RestoreUserCancel() : 0);
}

unsigned long CScriptedTasque::RestoreIsPwdProtect(wchar_t* imagePath)
{
    TasqueCall& call = Record(TasqueOp::RestoreIsPwdProtect);
    call.text = imagePath ? imagePath : L"";
    SCRIPTED_FAIL(call, TasqueOp::RestoreIsPwdProtect)
    if (forward_)
        return Done(call, forward_->RestoreIsPwdProtect(imagePath));
    return Done(call, passwordProtected ? 1 : 0);
}

// Both engines take a password's length in bytes (characters x sizeof(wchar_t));
// only that many are read, and the text must be exactly the scripted password.
bool CScriptedTasque::MatchesPassword(const wchar_t* text, unsigned long bytes, std::wstring* seen) const
{
    *seen = text ? std::wstring(text, wcsnlen(text, bytes / sizeof(wchar_t))) : L"";
    return *seen == password && bytes == password.size() * sizeof(wchar_t);
}

unsigned long CScriptedTasque::RestoreSetPassword(wchar_t* passwordText, unsigned long bytes)
{
    TasqueCall& call = Record(TasqueOp::RestoreSetPassword, {bytes});
    const bool matches = MatchesPassword(passwordText, bytes, &call.text);
    SCRIPTED_FAIL(call, TasqueOp::RestoreSetPassword)
    if (forward_)
        return Done(call, forward_->RestoreSetPassword(passwordText, bytes));
    passwordAccepted_ = matches;
    return Done(call, passwordAccepted_ ? 1 : 0);
}

unsigned long CScriptedTasque::RestoreSetDiskMode(unsigned long flag)
{
    TasqueCall& call = Record(TasqueOp::RestoreSetDiskMode, {flag});
    SCRIPTED_FAIL(call, TasqueOp::RestoreSetDiskMode)
    return Done(call, forward_ ? forward_->RestoreSetDiskMode(flag) : 0);
}

unsigned long CScriptedTasque::DeletePartition(uint8_t disk, unsigned long long firstSector,
                                               unsigned long long sectorCount)
{
    TasqueCall& call = Record(TasqueOp::DeletePartition, {disk, firstSector, sectorCount});
    SCRIPTED_FAIL(call, TasqueOp::DeletePartition)
    if (forward_)
        return Done(call, forward_->DeletePartition(disk, firstSector, sectorCount));
    CMemoryDisk* d = tree_ ? tree_->Disk(disk) : nullptr;
    if (d == nullptr)
        return Done(call, kNotScripted);
    if (firstSector == ~0ULL)
        return Done(call, d->DeleteAllPartitions());
    for (CMemoryPartition* item : d->Items())
        if (!item->IsFree() && item->d.start == firstSector && item->d.count == sectorCount)
            return Done(call, d->DeletePartition(item));
    return Done(call, kTreeRefused);
}

unsigned long CScriptedTasque::IsBadDisk(uint8_t disk, unsigned long long firstSector, unsigned long long lastSector)
{
    TasqueCall& call = Record(TasqueOp::IsBadDisk, {disk, firstSector, lastSector});
    SCRIPTED_FAIL(call, TasqueOp::IsBadDisk)
    if (forward_)
        return Done(call, forward_->IsBadDisk(disk, firstSector, lastSector));
    CMemoryDisk* d = tree_ ? tree_->Disk(disk) : nullptr;
    return Done(call, d && d->bad ? 1 : 0);
}

unsigned long CScriptedTasque::AddPartition(uint8_t disk, AddPartitionParam record)
{
    TasqueCall& call = Record(TasqueOp::AddPartition, {disk});
    call.partition = record;
    SCRIPTED_FAIL(call, TasqueOp::AddPartition)
    if (forward_)
        return Done(call, forward_->AddPartition(disk, record));
    CMemoryDisk* d = tree_ ? tree_->Disk(disk) : nullptr;
    if (d == nullptr)
        return Done(call, kNotScripted);
    return Done(call, d->CreatePartition(&record, 0) ? 0 : kTreeRefused);
}

unsigned long CScriptedTasque::FindPartition(uint8_t disk, unsigned long long firstSector,
                                             unsigned long long sectorCount, IManagerItem** item)
{
    TasqueCall& call = Record(TasqueOp::FindPartition, {disk, firstSector, sectorCount});
    SCRIPTED_FAIL(call, TasqueOp::FindPartition)
    if (forward_)
        return Done(call, forward_->FindPartition(disk, firstSector, sectorCount, item));
    CMemoryDisk* d = tree_ ? tree_->Disk(disk) : nullptr;
    if (d == nullptr)
        return Done(call, kNotScripted);
    for (CMemoryPartition* entry : d->Items())
        if (!entry->IsFree() && entry->d.start == firstSector && entry->d.count == sectorCount) {
            if (item)
                *item = entry;
            return Done(call, 0);
        }
    return Done(call, kTreeRefused);
}

unsigned long CScriptedTasque::GetDiskItem(uint8_t disk, IManagerItem** item)
{
    TasqueCall& call = Record(TasqueOp::GetDiskItem, {disk});
    SCRIPTED_FAIL(call, TasqueOp::GetDiskItem)
    if (forward_)
        return Done(call, forward_->GetDiskItem(disk, item));
    CMemoryDisk* d = tree_ ? tree_->Disk(disk) : nullptr;
    if (d == nullptr)
        return Done(call, kNotScripted);
    if (item)
        *item = d;
    return Done(call, 0);
}

unsigned long CScriptedTasque::CheckFileSystem(unsigned long disk, unsigned long firstLow, unsigned long firstHigh,
                                               unsigned long reserved)
{
    TasqueCall& call = Record(TasqueOp::CheckFileSystem, {disk, firstLow, firstHigh, reserved});
    SCRIPTED_FAIL(call, TasqueOp::CheckFileSystem)
    return Done(call, forward_ ? forward_->CheckFileSystem(disk, firstLow, firstHigh, reserved) : 0);
}

unsigned long CScriptedTasque::Release()
{
    TasqueCall& call = Record(TasqueOp::Release);
    ++releases_;
    JoinWorker();
    if (forward_) {
        ITasque* forward = forward_;
        forward_ = nullptr;
        return Done(call, forward->Release());
    }
    return Done(call, 0);
}
