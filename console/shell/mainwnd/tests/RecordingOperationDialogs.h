// A stand-in for the console's scan dialog and wizards in tests: it records what
// was started, in order, over which parent, and never opens a window.
#pragma once

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
    std::vector<GtkWidget*> parents;
    GtkWidget* lastParent = nullptr;

private:
    void Note(const char* step, GtkWidget* parent)
    {
        steps.push_back(step);
        parents.push_back(parent);
        lastParent = parent;
    }
};
