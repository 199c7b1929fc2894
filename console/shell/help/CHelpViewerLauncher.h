// Starts the help viewer "Help" from the working directory with a topic. One
// launcher serves the whole program, so there is one viewer process number
// (helpPid): a new start first sends the previous viewer signal 6, and viewers that
// have ended are collected so that no zombie stays and no stale number is signalled.
#pragma once

#include "IHelpViewerProcesses.h"

#include <glib.h>

#include <string>
#include <vector>

class CHelpViewerLauncher {
public:
    // The program-wide launcher.
    static CHelpViewerLauncher& Instance();

    explicit CHelpViewerLauncher(IHelpViewerProcesses* processes);
    ~CHelpViewerLauncher();
    CHelpViewerLauncher(const CHelpViewerLauncher&) = delete;
    CHelpViewerLauncher& operator=(const CHelpViewerLauncher&) = delete;

    // True when a viewer process was made. On failure the console goes on unchanged.
    bool Launch(const char* topic);
    // Collects every started viewer that has ended; the number collected.
    int ReapFinished();

    // Process number of the viewer last started and not yet collected, 0 when none.
    pid_t HelpPid() const { return helpPid_; }
    // Status of the viewer most recently collected (as waitpid gives it), -1 when none.
    int LastReapedStatus() const { return lastReapedStatus_; }
    size_t PendingViewers() const { return started_.size(); }

    // Tests replace the process operations; null restores the ones given at construction.
    void UseProcesses(IHelpViewerProcesses* processes);

    static constexpr int kPreviousViewerSignal = 6; // SIGABRT
    static constexpr guint kReapIntervalMs = 500;

private:
    static gboolean OnReapTimer(gpointer self);
    void ArmReaper();

    IHelpViewerProcesses* own_;
    IHelpViewerProcesses* processes_;
    pid_t helpPid_ = 0;
    int lastReapedStatus_ = -1;
    std::vector<pid_t> started_;
    guint reapTimer_ = 0;
};

// The one call every help button, key and menu item of the console makes.
bool StartHelpViewer(const char* topic);
// The viewer's path: the working directory followed by "/Help"; empty when the
// working directory cannot be read.
std::string HelpViewerPath();
