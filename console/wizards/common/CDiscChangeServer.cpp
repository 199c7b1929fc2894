#include "CDiscChangeServer.h"

#include "CNoVersionDlg.h"
#include "RecoveryEnv.h"
#include "WizardText.h"

bool CNoVersionPrompt::Ask(const std::string& displayName, bool fileMode, const std::string& folderPath)
{
    CNoVersionDlg dialog(nullptr, displayName.c_str(), 300, 200, fileMode ? 1 : 0);
    dialog.SetFilePath(folderPath.c_str());
    dialog.RunDlg();
    dialog.DestoryDlg();
    return dialog.IsOKPressed() != 0;
}

CDiscChangeServer::CDiscChangeServer(CDiscChangeHandshake& handshake, IDiscChangePrompt& prompt,
                                     std::function<std::string()> imagePath)
    : handshake_(handshake), prompt_(prompt), imagePath_(std::move(imagePath))
{
}

bool CDiscChangeServer::Serve()
{
    DiscChangeRequest request;
    if (!handshake_.TakeRequest(request))
        return false;
    const std::string imagePath = imagePath_ ? imagePath_() : std::string();
    // In both modes the disc that holds the image goes out; a failing eject is not
    // reported, the question comes all the same.
    EjectCD(imagePath.c_str());
    const bool ok = prompt_.Ask(ToDisplayText(request.name), request.fileMode, imagePath);
    if (ok)
        UpdateCD();
    handshake_.Answer(ok);
    return true;
}

CDiscChangeTimer::CDiscChangeTimer(CDiscChangeServer& server, guint intervalMs) : server_(server)
{
    source_ = g_timeout_add(intervalMs, OnTick, this);
}

CDiscChangeTimer::~CDiscChangeTimer()
{
    if (source_)
        g_source_remove(source_);
}

gboolean CDiscChangeTimer::OnTick(gpointer self)
{
    static_cast<CDiscChangeTimer*>(self)->server_.Serve();
    return TRUE;
}
