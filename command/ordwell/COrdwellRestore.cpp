// The restore engine commands.
#include "COrdwell.h"
#include "IKSRestore.h"
#include "OrdwellGuards.h"

unsigned long COrdwell::OnRestoreSetImgInfo(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    const auto* r = Request<KS_CMD_IMG_INFO_REQUEST>(packet);
    return engines_.restore->SetImgInfo(static_cast<_KS_VERSION*>(r->Version), static_cast<wchar_t*>(r->Path));
}

// Codes 22, 23, 24: every reply carries code 20.
unsigned long COrdwell::OnRestoreListing(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_LISTING_REPLY>(holder, TASQUE_CMD_BACKUP_GET_PROGRESS);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(restore);
    const auto* r = Request<KS_CMD_LISTING_REQUEST>(packet);
    auto* count = static_cast<unsigned long*>(reply->Count);
    switch (packet->Code) {
    case TASQUE_CMD_RESTORE_GET_IMAGE_VERSIONS:
        return engines_.restore->GetImageVersions(static_cast<_KS_VERSION*>(reply->Buffer), r->Capacity, count,
                                                  static_cast<wchar_t*>(r->Subject));
    case TASQUE_CMD_RESTORE_GET_IMG_VOLUMES:
        return engines_.restore->GetImgVolumes(static_cast<_KS_VOLUME*>(reply->Buffer), r->Capacity, count,
                                               static_cast<_KS_VERSION*>(r->Subject));
    default:
        return engines_.restore->GetVerComment(static_cast<wchar_t*>(reply->Buffer), r->Capacity, count,
                                               static_cast<_KS_VERSION*>(r->Subject));
    }
}

unsigned long COrdwell::OnAddRestore(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    const auto* r = Request<KS_CMD_RESTORE_ITEM_REQUEST>(packet);
    return engines_.restore->AddRestore(static_cast<_KS_VOLUME*>(r->Source), static_cast<_KS_RESTORE_TARGET*>(r->Target),
                                        r->Option);
}

unsigned long COrdwell::OnAddDiskRestore(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    const auto* r = Request<KS_CMD_RESTORE_ITEM_REQUEST>(packet);
    return engines_.restore->AddDiskRestore(static_cast<_KS_RESTORE_TARGET*>(r->Source),
                                            static_cast<_KS_RESTORE_TARGET*>(r->Target), r->Option);
}

unsigned long COrdwell::OnRestoreExecute(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    return engines_.restore->Execute();
}

unsigned long COrdwell::OnRestoreUserCancel(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    return engines_.restore->UserCancel();
}

unsigned long COrdwell::OnRestoreSetCallBack(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    const auto* r = Request<KS_CMD_CALLBACK_REQUEST>(packet);
    return engines_.restore->SetCallBack(r->Callback, r->Context);
}

unsigned long COrdwell::OnRestoreGetProgress(_KS_CMD_PACKET*, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_PROGRESS_REPLY>(holder, TASQUE_CMD_BACKUP_GET_PROGRESS);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(restore);
    return engines_.restore->GetRestoreProgress(static_cast<_KS_PROGRESS_INFO*>(reply->Progress));
}

// The engine answers 1 for yes; anything else, a failure code among them, is no.
unsigned long COrdwell::OnRestoreIsPwdProtect(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    const unsigned long yes =
        engines_.restore->IsPwdProtect(static_cast<wchar_t*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
    return yes == 1 ? 0 : OrdwellResult::kRestoreNotProtected;
}

unsigned long COrdwell::OnRestoreSetPassword(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    const auto* r = Request<KS_CMD_PASSWORD_REQUEST>(packet);
    const unsigned long accepted = engines_.restore->SetPassword(static_cast<wchar_t*>(r->Password), r->Length);
    return accepted == 1 ? 0 : OrdwellResult::kRestorePasswordRefused;
}

unsigned long COrdwell::OnRestoreSetDiskMode(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    return engines_.restore->SetDiskMode(Request<KS_CMD_VALUE_REQUEST>(packet)->Value);
}

unsigned long COrdwell::OnRestoreSetStringParam(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(restore);
    return engines_.restore->SetStringParam(
        static_cast<const wchar_t*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
}
