// The checker commands.
#include "COrdwell.h"
#include "IKSCheck.h"
#include "OrdwellGuards.h"

// Codes 32, 33, 34: each reply carries its own code.
unsigned long COrdwell::OnCheckListing(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_LISTING_REPLY>(holder, packet->Code);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(check);
    const auto* r = Request<KS_CMD_LISTING_REQUEST>(packet);
    auto* count = static_cast<int*>(reply->Count);
    switch (packet->Code) {
    case TASQUE_CMD_CHECK_GET_IMAGE_VERSIONS:
        return engines_.check->GetImageVersions(static_cast<_KS_VERSION*>(reply->Buffer), r->Capacity, count,
                                                static_cast<wchar_t*>(r->Subject));
    case TASQUE_CMD_CHECK_GET_IMG_VOLUMES:
        return engines_.check->GetImgVolumes(static_cast<_KS_VOLUME*>(reply->Buffer), r->Capacity, count,
                                             static_cast<_KS_VERSION*>(r->Subject));
    default:
        return engines_.check->GetVerComment(static_cast<wchar_t*>(reply->Buffer), r->Capacity, count,
                                             static_cast<_KS_VERSION*>(r->Subject));
    }
}

// The checker answers 1 for yes; anything else, a failure code among them, is no.
unsigned long COrdwell::OnCheckIsPwdProtect(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    const unsigned long yes =
        engines_.check->IsPwdProtect(static_cast<wchar_t*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
    return yes == 1 ? 0 : OrdwellResult::kCheckNotProtected;
}

unsigned long COrdwell::OnCheckSetPassword(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    const auto* r = Request<KS_CMD_PASSWORD_REQUEST>(packet);
    const unsigned long accepted =
        engines_.check->SetPassword(static_cast<wchar_t*>(r->Password), static_cast<int>(r->Length));
    return accepted == 1 ? 0 : OrdwellResult::kCheckPasswordRefused;
}

unsigned long COrdwell::OnCheckSetImgInfo(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    const auto* r = Request<KS_CMD_IMG_INFO_REQUEST>(packet);
    return engines_.check->SetImgInfo(static_cast<_KS_VERSION*>(r->Version), static_cast<wchar_t*>(r->Path));
}

unsigned long COrdwell::OnAddCheck(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    return engines_.check->AddCheck(static_cast<_KS_VOLUME*>(Request<KS_CMD_ADD_CHECK_REQUEST>(packet)->Volume));
}

unsigned long COrdwell::OnCheckExecute(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    return engines_.check->Execute();
}

unsigned long COrdwell::OnCheckSetPromptCall(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    const auto* r = Request<KS_CMD_CALLBACK_REQUEST>(packet);
    return engines_.check->SetPromptCall(r->Callback, r->Context);
}

// Code 42's reply carries code 35.
unsigned long COrdwell::OnCheckGetProgress(_KS_CMD_PACKET*, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_PROGRESS_REPLY>(holder, TASQUE_CMD_CHECK_PROGRESS_INFO);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(check);
    return engines_.check->GetCheckProgress(static_cast<_KS_PROGRESS_INFO*>(reply->Progress));
}

unsigned long COrdwell::OnCheckUserCancel(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(check);
    return engines_.check->UserCancel();
}
