// The command executor: checks each command record and turns it into one call on an
// engine it owns, or into an operation of its own through the device manager module,
// the file-system check module or the image container.
#pragma once

#include <vector>

#include "IOrdwell.h"
#include "OrdwellParts.h"
#include "command/KSCommandPayloads.h"

class IManagerItem;
class IPartitionManager;

class COrdwell final : public IOrdwell {
public:
    // Takes ownership of the engines (released with the object).
    COrdwell(const OrdwellEngines& engines, const OrdwellModules& modules);
    ~COrdwell() override;
    COrdwell(const COrdwell&) = delete;
    COrdwell& operator=(const COrdwell&) = delete;

    unsigned long Execute(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder, int withProgress) override;
    unsigned long Release() override;
    unsigned long MountImage(_KS_CMD_PACKET* packet) override;
    unsigned long UnmountImage(_KS_CMD_PACKET* packet) override;
    unsigned long EjectImage(_KS_CMD_PACKET* packet) override;
    unsigned long GetMountedDisks(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder) override;

    // Checks the magic and runs the command on the caller's thread.
    unsigned long Dispatch(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder);

    typedef unsigned long (COrdwell::*Handler)(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    // The handler of a command code, or null for a code nobody sends.
    static Handler HandlerOf(uint32_t code);

private:
    // The reply record of type R with its header filled (code, sizeof R, reply flag,
    // header length); null when the caller handed no reply.
    template <class R>
    static R* Reply(_KS_CMD_PACKET** holder, uint32_t code);
    template <class R>
    static R* Request(_KS_CMD_PACKET* packet)
    {
        return reinterpret_cast<R*>(packet);
    }

    // Disk enumeration and backup engine (COrdwellBackup.cpp).
    unsigned long OnBackupExecute(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupUserCancel(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnEnumInit(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnEnumGetDiskCount(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnEnumGetDiskInfo(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnEnumGetPartitionCount(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnEnumGetPartitionInfo(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupSetSource(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupAddFilter(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupSetCallBack(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupSetTempPath(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupSetOption(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnBackupGetProgress(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    // Restore engine (COrdwellRestore.cpp).
    unsigned long OnRestoreSetImgInfo(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreListing(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnAddRestore(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreExecute(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreUserCancel(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreSetCallBack(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreGetProgress(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreIsPwdProtect(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreSetPassword(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnAddDiskRestore(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreSetDiskMode(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnRestoreSetStringParam(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    // Checker (COrdwellCheck.cpp).
    unsigned long OnCheckListing(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckIsPwdProtect(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckSetPassword(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckSetImgInfo(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnAddCheck(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckExecute(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckSetPromptCall(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckGetProgress(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnCheckUserCancel(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    // Mount engine (COrdwell.cpp).
    unsigned long OnMountImage(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnUnmountImage(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnEjectImage(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnGetMountedDisks(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    // Partition edits through the device manager (COrdwellPartitions.cpp).
    unsigned long OnAddPartition(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnDeletePartition(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnFindPartition(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnGetDiskItem(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnIsBadDisk(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    // File-system check and image-set deletion (COrdwellTools.cpp).
    unsigned long OnCheckFileSystem(_KS_CMD_PACKET*, _KS_CMD_PACKET**);
    unsigned long OnDeleteImageSet(_KS_CMD_PACKET*, _KS_CMD_PACKET**);

    // The disk's partition manager, by its position in the device manager's list.
    IPartitionManager* FindDisk(uint8_t disk, IManagerItem** item = nullptr);
    // Keeps a reference on an item handed to the caller until the executor ends.
    bool Hold(IManagerItem* item);
    // The command behind the modal progress window (COrdwellProgress*.cpp).
    unsigned long RunWithProgress(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder);

    unsigned long progressResult_ = 0;
    _KS_CMD_PACKET* progressPacket_ = nullptr;
    _KS_CMD_PACKET** progressHolder_ = nullptr;
    OrdwellEngines engines_;
    OrdwellModules modules_;
    std::vector<IManagerItem*> heldItems_;
};

template <class R>
R* COrdwell::Reply(_KS_CMD_PACKET** holder, uint32_t code)
{
    if (holder == nullptr || *holder == nullptr)
        return nullptr;
    R* reply = reinterpret_cast<R*>(*holder);
    KSCmdFillHeader(*reply, code, KS_CMD_REPLY_FLAG);
    return reply;
}
