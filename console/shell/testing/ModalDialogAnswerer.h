// Answers the next modal dialog a test's code runs, from a timer inside the
// dialog's own nested main loop. The answer runs once the dialog is on screen;
// when no answer has closed the dialog by the deadline, the dialog is sent a
// delete response so that the test can never hang in gtk_dialog_run.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

class ModalDialogAnswerer {
public:
    using Answer = std::function<void(GtkDialog* dialog)>;

    explicit ModalDialogAnswerer(Answer answer, int timeoutMs = 5000);
    ~ModalDialogAnswerer();
    ModalDialogAnswerer(const ModalDialogAnswerer&) = delete;
    ModalDialogAnswerer& operator=(const ModalDialogAnswerer&) = delete;

    bool Answered() const { return answered_; }
    bool TimedOut() const { return timedOut_; }
    // Title of the dialog answered.
    const std::string& Title() const { return title_; }

    // Answers that use real input.
    static Answer ClickResponse(int response);
    static Answer TapKey(unsigned keyval);
    // Answers that go through the toolkit only.
    static Answer Respond(int response);

    // The modal dialog on screen now, or null.
    static GtkDialog* FindModalDialog();
    // The action button of the dialog that gives this response, or null.
    static GtkWidget* ButtonForResponse(GtkDialog* dialog, int response);

private:
    static gboolean Poll(gpointer self);

    Answer answer_;
    gint64 deadline_;
    guint source_ = 0;
    GtkDialog* dialog_ = nullptr;
    int mappedPolls_ = 0;
    bool answered_ = false;
    bool timedOut_ = false;
    std::string title_;
};
