// Drives a modal clone wizard from inside its own main loop: a list of steps, each
// waiting for its condition and then acting, mostly with real input. A step that waits
// too long ends the drive and closes whatever dialog is up, so a test never hangs.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

struct CloneGuiStep {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
};

class CloneGuiDriver {
public:
    explicit CloneGuiDriver(std::vector<CloneGuiStep> steps, int stepTimeoutMs = 20000);
    ~CloneGuiDriver();
    bool Finished() const { return next_ == steps_.size(); }
    // Once the wizard has closed no tick comes: the checks left at the end (steps
    // without an action) are made here, as a tick would have made them.
    void CheckAfterClose();
    // The step that timed out, empty when none did.
    const std::string& Stuck() const { return stuck_; }

private:
    static gboolean Tick(gpointer self);
    std::vector<CloneGuiStep> steps_;
    size_t next_ = 0;
    int stepTimeoutMs_;
    gint64 stepStarted_;
    guint source_ = 0;
    std::string stuck_;
};

// A visible dialog window with this title, or null.
GtkWidget* VisibleDialog(const char* title);
// The label text of a message box, empty when there is none.
std::string MessageText(GtkWidget* dialog);
// Clicks the message box button that gives this response.
void ClickDialogResponse(GtkWidget* dialog, int response);
// Clicks the row of a tree view.
void ClickTreeRow(GtkWidget* treeView, int row);
// The row is in the tree view's model and laid out on screen, so a click lands on it.
bool TreeRowShown(GtkWidget* treeView, int row);
// Saves the window's pixels under the build tree's artifacts/ folder.
void SaveArtifact(GtkWidget* widget, const std::string& name);
bool Sensitive(GtkWidget* widget);
