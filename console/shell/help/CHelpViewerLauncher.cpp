#include "CHelpViewerLauncher.h"

#include "PosixHelpViewerProcesses.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

std::string HelpViewerPath()
{
    // Grows with the directory's length: no fixed buffer to overflow.
    std::vector<char> buffer(256);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data()) + "/Help";
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

CHelpViewerLauncher& CHelpViewerLauncher::Instance()
{
    static PosixHelpViewerProcesses posix;
    static CHelpViewerLauncher launcher(&posix);
    return launcher;
}

CHelpViewerLauncher::CHelpViewerLauncher(IHelpViewerProcesses* processes) : own_(processes), processes_(processes) {}

CHelpViewerLauncher::~CHelpViewerLauncher()
{
    if (reapTimer_)
        g_source_remove(reapTimer_);
}

void CHelpViewerLauncher::UseProcesses(IHelpViewerProcesses* processes)
{
    processes_ = processes ? processes : own_;
}

int CHelpViewerLauncher::ReapFinished()
{
    int reaped = 0;
    for (auto it = started_.begin(); it != started_.end();) {
        int status = 0;
        if (processes_->ReapIfEnded(*it, &status)) {
            lastReapedStatus_ = status;
            if (*it == helpPid_)
                helpPid_ = 0; // the number may be reused now: never signal it again
            it = started_.erase(it);
            ++reaped;
        } else {
            ++it;
        }
    }
    return reaped;
}

bool CHelpViewerLauncher::Launch(const char* topic)
{
    ReapFinished();
    const std::string path = HelpViewerPath();
    if (path.empty())
        return false;
    if (helpPid_ > 0)
        processes_->Signal(helpPid_, kPreviousViewerSignal);
    const pid_t pid = processes_->Start(path, topic ? topic : "");
    if (pid <= 0)
        return false; // helpPid keeps naming the previous viewer until it is collected
    helpPid_ = pid;
    started_.push_back(pid);
    ArmReaper();
    return true;
}

void CHelpViewerLauncher::ArmReaper()
{
    // While the main loop runs, ended viewers are collected without waiting for the
    // next launch.
    if (!reapTimer_)
        reapTimer_ = g_timeout_add(kReapIntervalMs, OnReapTimer, this);
}

gboolean CHelpViewerLauncher::OnReapTimer(gpointer self)
{
    CHelpViewerLauncher* launcher = static_cast<CHelpViewerLauncher*>(self);
    launcher->ReapFinished();
    if (launcher->started_.empty()) {
        launcher->reapTimer_ = 0;
        return FALSE;
    }
    return TRUE;
}

bool StartHelpViewer(const char* topic)
{
    return CHelpViewerLauncher::Instance().Launch(topic);
}
