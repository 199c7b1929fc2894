// The scripted command object's check group: recorded, failed on request, else
// answered from the script.
#include "CScriptedTasque.h"

#include "ScriptedTasqueAnswers.h"

using namespace scripted_tasque;

unsigned long CScriptedTasque::CheckIsPwdProtect(wchar_t* imagePath)
{
    TasqueCall& call = Record(TasqueOp::CheckIsPwdProtect);
    call.text = imagePath ? imagePath : L"";
    SCRIPTED_FAIL(call, TasqueOp::CheckIsPwdProtect)
    if (forward_)
        return Done(call, forward_->CheckIsPwdProtect(imagePath));
    return Done(call, passwordProtected ? 1 : 0);
}

unsigned long CScriptedTasque::CheckSetPassword(wchar_t* passwordText, unsigned long bytes)
{
    TasqueCall& call = Record(TasqueOp::CheckSetPassword, {bytes});
    const bool matches = MatchesPassword(passwordText, bytes, &call.text);
    SCRIPTED_FAIL(call, TasqueOp::CheckSetPassword)
    if (forward_)
        return Done(call, forward_->CheckSetPassword(passwordText, bytes));
    return Done(call, matches ? 1 : 0);
}

unsigned long CScriptedTasque::CheckSetImgInfo(_KS_VERSION* version, wchar_t* imagePath)
{
    TasqueCall& call = Record(TasqueOp::CheckSetImgInfo);
    call.text = imagePath ? imagePath : L"";
    SCRIPTED_FAIL(call, TasqueOp::CheckSetImgInfo)
    return Done(call, forward_ ? forward_->CheckSetImgInfo(version, imagePath) : 0);
}

unsigned long CScriptedTasque::CheckGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count,
                                                     wchar_t* imagePath)
{
    TasqueCall& call = Record(TasqueOp::CheckGetImageVersions, {capacity});
    call.text = imagePath ? imagePath : L"";
    SCRIPTED_FAIL(call, TasqueOp::CheckGetImageVersions)
    if (forward_)
        return Done(call, forward_->CheckGetImageVersions(buffer, capacity, count, imagePath));
    CopyOut(versions, buffer, capacity, count);
    return Done(call, 0);
}

unsigned long CScriptedTasque::CheckGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                                  _KS_VERSION* version)
{
    TasqueCall& call = Record(TasqueOp::CheckGetImgVolumes, {capacity});
    SCRIPTED_FAIL(call, TasqueOp::CheckGetImgVolumes)
    if (forward_)
        return Done(call, forward_->CheckGetImgVolumes(buffer, capacity, count, version));
    CopyOut(volumes, buffer, capacity, count);
    return Done(call, 0);
}

unsigned long CScriptedTasque::CheckGetVerComment(wchar_t* buffer, unsigned long capacity, int* length,
                                                  _KS_VERSION* version)
{
    TasqueCall& call = Record(TasqueOp::CheckGetVerComment, {capacity});
    SCRIPTED_FAIL(call, TasqueOp::CheckGetVerComment)
    if (forward_)
        return Done(call, forward_->CheckGetVerComment(buffer, capacity, length, version));
    CopyComment(comment, buffer, capacity, length);
    return Done(call, 0);
}

unsigned long CScriptedTasque::AddCheck(_KS_VOLUME* volume)
{
    TasqueCall& call = Record(TasqueOp::AddCheck);
    if (volume)
        call.volume = *volume;
    SCRIPTED_FAIL(call, TasqueOp::AddCheck)
    return Done(call, forward_ ? forward_->AddCheck(volume) : 0);
}

unsigned long CScriptedTasque::CheckExecute()
{
    TasqueCall& call = Record(TasqueOp::CheckExecute);
    SCRIPTED_FAIL(call, TasqueOp::CheckExecute)
    if (forward_)
        return Done(call, forward_->CheckExecute());
    StartWorker(checkRequests, checkCallback_, checkContext_);
    return Done(call, 0);
}

unsigned long CScriptedTasque::CheckSetPromptCall(KS_CMD_CALLBACK callback, void* context)
{
    TasqueCall& call = Record(TasqueOp::CheckSetPromptCall);
    SCRIPTED_FAIL(call, TasqueOp::CheckSetPromptCall)
    checkCallback_ = callback;
    checkContext_ = context;
    return Done(call, forward_ ? forward_->CheckSetPromptCall(callback, context) : 0);
}

unsigned long CScriptedTasque::CheckGetProgress(_KS_PROGRESS_INFO* progress)
{
    TasqueCall& call = Record(TasqueOp::CheckGetProgress);
    SCRIPTED_FAIL(call, TasqueOp::CheckGetProgress)
    if (forward_)
        return Done(call, forward_->CheckGetProgress(progress));
    if (progress)
        *progress = Next(checkTimeline, checkProgressAt_);
    return Done(call, 0);
}

unsigned long CScriptedTasque::CheckUserCancel()
{
    TasqueCall& call = Record(TasqueOp::CheckUserCancel);
    SCRIPTED_FAIL(call, TasqueOp::CheckUserCancel)
    return Done(call, forward_ ? forward_->CheckUserCancel() : 0);
}
