#include "COrdwell.h"

#include <new>

#include "IKSBackup.h"
#include "IKSCheck.h"
#include "IKSMount.h"
#include "IKSRestore.h"
#include "OrdwellResults.h"
#include "vessmar/IManagerItem.h"

COrdwell::COrdwell(const OrdwellEngines& engines, const OrdwellModules& modules)
    : engines_(engines), modules_(modules)
{
}

COrdwell::~COrdwell()
{
    if (engines_.backup != nullptr)
        engines_.backup->Release();
    if (engines_.restore != nullptr)
        engines_.restore->Release();
    if (engines_.check != nullptr)
        engines_.check->Release();
    if (engines_.mount != nullptr)
        engines_.mount->Release();
    engines_ = OrdwellEngines();
    for (IManagerItem* item : heldItems_)
        item->Release();
}

unsigned long COrdwell::Release()
{
    delete this;
    return 0;
}

unsigned long COrdwell::Execute(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder, int withProgress)
{
    if (withProgress != 0)
        return RunWithProgress(packet, replyHolder);
    return Dispatch(packet, replyHolder);
}

unsigned long COrdwell::Dispatch(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder)
{
    if (packet == nullptr || packet->Magic != KS_CMD_MAGIC)
        return OrdwellResult::kBadMagic;
    const Handler handler = HandlerOf(packet->Code);
    if (handler == nullptr)
        return OrdwellResult::kUnknownCode;
    try {
        return (this->*handler)(packet, replyHolder);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_COMMAND, KS_KIND_NO_MEMORY);
    }
}

COrdwell::Handler COrdwell::HandlerOf(uint32_t code)
{
    static const Handler table[TASQUE_CMD_LAST + 1] = {
        nullptr,                                // 0
        &COrdwell::OnBackupExecute,             // 1
        &COrdwell::OnBackupUserCancel,          // 2
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, // 3-9 are never sent
        &COrdwell::OnEnumInit,                  // 10
        &COrdwell::OnEnumGetDiskCount,          // 11
        &COrdwell::OnEnumGetDiskInfo,           // 12
        &COrdwell::OnEnumGetPartitionCount,     // 13
        &COrdwell::OnEnumGetPartitionInfo,      // 14
        &COrdwell::OnBackupSetSource,           // 15
        &COrdwell::OnBackupAddFilter,           // 16
        &COrdwell::OnBackupSetCallBack,         // 17
        &COrdwell::OnBackupSetTempPath,         // 18
        &COrdwell::OnBackupSetOption,           // 19
        &COrdwell::OnBackupGetProgress,         // 20
        &COrdwell::OnRestoreSetImgInfo,         // 21
        &COrdwell::OnRestoreListing,            // 22
        &COrdwell::OnRestoreListing,            // 23
        &COrdwell::OnRestoreListing,            // 24
        &COrdwell::OnAddRestore,                // 25
        &COrdwell::OnRestoreExecute,            // 26
        &COrdwell::OnRestoreUserCancel,         // 27
        &COrdwell::OnRestoreSetCallBack,        // 28
        &COrdwell::OnRestoreGetProgress,        // 29
        &COrdwell::OnRestoreIsPwdProtect,       // 30
        &COrdwell::OnRestoreSetPassword,        // 31
        &COrdwell::OnCheckListing,              // 32
        &COrdwell::OnCheckListing,              // 33
        &COrdwell::OnCheckListing,              // 34
        nullptr,                                // 35 only names code 42's reply
        &COrdwell::OnCheckIsPwdProtect,         // 36
        &COrdwell::OnCheckSetPassword,          // 37
        &COrdwell::OnCheckSetImgInfo,           // 38
        &COrdwell::OnAddCheck,                  // 39
        &COrdwell::OnCheckExecute,              // 40
        &COrdwell::OnCheckSetPromptCall,        // 41
        &COrdwell::OnCheckGetProgress,          // 42
        &COrdwell::OnCheckUserCancel,           // 43
        &COrdwell::OnMountImage,                // 44
        &COrdwell::OnUnmountImage,              // 45
        &COrdwell::OnEjectImage,                // 46
        &COrdwell::OnGetMountedDisks,           // 47
        &COrdwell::OnAddPartition,              // 48
        &COrdwell::OnDeletePartition,           // 49
        &COrdwell::OnAddDiskRestore,            // 50
        &COrdwell::OnFindPartition,             // 51
        &COrdwell::OnGetDiskItem,               // 52
        &COrdwell::OnCheckFileSystem,           // 53
        &COrdwell::OnRestoreSetDiskMode,        // 54
        &COrdwell::OnRestoreSetStringParam,     // 55
        &COrdwell::OnIsBadDisk,                 // 56
        &COrdwell::OnDeleteImageSet,            // 57
    };
    return code <= TASQUE_CMD_LAST ? table[code] : nullptr;
}

bool COrdwell::Hold(IManagerItem* item)
{
    heldItems_.push_back(item); // may throw bad_alloc before the reference is taken
    item->AddRef();
    return true;
}

// The mount engine: a build without it leaves its pointer null, and then every
// command answers that the engine is missing.

unsigned long COrdwell::MountImage(_KS_CMD_PACKET* packet)
{
    if (engines_.mount == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, OrdwellResult::kKindNoEngine);
    const auto* r = Request<KS_CMD_MOUNT_REQUEST>(packet);
    return engines_.mount->MountImage(static_cast<wchar_t*>(r->Image), static_cast<_KS_VOLUME*>(r->Volume), r->Letter,
                                      static_cast<wchar_t*>(r->Password));
}

unsigned long COrdwell::UnmountImage(_KS_CMD_PACKET* packet)
{
    if (engines_.mount == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, OrdwellResult::kKindNoEngine);
    return engines_.mount->UnmountImage(Request<KS_CMD_VALUE_REQUEST>(packet)->Value);
}

unsigned long COrdwell::EjectImage(_KS_CMD_PACKET* packet)
{
    if (engines_.mount == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, OrdwellResult::kKindNoEngine);
    return engines_.mount->EjectImage(Request<KS_CMD_VALUE_REQUEST>(packet)->Value);
}

unsigned long COrdwell::GetMountedDisks(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder)
{
    auto* reply = Reply<KS_CMD_MOUNTED_REPLY>(replyHolder, TASQUE_CMD_GET_MOUNTED_DISKS);
    if (reply == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, KS_KIND_BAD_ARGUMENT);
    if (engines_.mount == nullptr)
        return KS_RESULT(KS_MODULE_COMMAND, OrdwellResult::kKindNoEngine);
    const auto* r = Request<KS_CMD_MOUNTED_REQUEST>(packet);
    auto* in = static_cast<uint32_t*>(r->Count);
    auto* out = static_cast<uint32_t*>(reply->Count);
    if (in != nullptr && out != nullptr)
        *out = *in;
    return engines_.mount->GetMountedDisks(reply->Entries, out);
}

unsigned long COrdwell::OnMountImage(_KS_CMD_PACKET* p, _KS_CMD_PACKET**) { return MountImage(p); }
unsigned long COrdwell::OnUnmountImage(_KS_CMD_PACKET* p, _KS_CMD_PACKET**) { return UnmountImage(p); }
unsigned long COrdwell::OnEjectImage(_KS_CMD_PACKET* p, _KS_CMD_PACKET**) { return EjectImage(p); }
unsigned long COrdwell::OnGetMountedDisks(_KS_CMD_PACKET* p, _KS_CMD_PACKET** h) { return GetMountedDisks(p, h); }
