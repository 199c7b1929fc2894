// Stand-ins for the console's scan dialog, wizards and help viewer in GUI tests:
// they record what was started, in order, and never open a window or a process.
#pragma once

#include "IHelpViewerProcesses.h"
#include "IOperationDialogs.h"

#include <string>
#include <vector>

class RecordingOperationDialogs : public IOperationDialogs {
public:
    void RunDeviceScan(GtkWidget* parent) override { Note("scan", parent); }
    void RunRestoreWizard(GtkWidget* parent) override { Note("restore", parent); }
    void RunCheckImageWizard(GtkWidget* parent) override { Note("check", parent); }
    void RunCloneWizard(GtkWidget* parent) override { Note("clone", parent); }

    std::vector<std::string> steps;
    GtkWidget* lastParent = nullptr;

private:
    void Note(const char* step, GtkWidget* parent)
    {
        steps.push_back(step);
        lastParent = parent;
    }
};

class RecordingHelpProcesses : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string& path, const std::string& topic) override
    {
        events.push_back("start [" + topic + "]");
        paths.push_back(path);
        return ++lastPid;
    }
    void Signal(pid_t pid, int signal) override
    {
        events.push_back("signal " + std::to_string(pid) + " " + std::to_string(signal));
    }
    bool ReapIfEnded(pid_t, int*) override { return false; }

    std::vector<std::string> events;
    std::vector<std::string> paths;
    pid_t lastPid = 700000;
};
