// Watches the modal dialogs that come and go while a test's code runs them: notes
// each one's title in order of appearance and answers the ones the test names.
// Runs from a timer inside the dialogs' own nested main loops.
#pragma once

#include "ModalDialogAnswerer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class TitledDialogWatcher {
public:
    using Answer = std::function<void(GtkDialog*)>;

    TitledDialogWatcher() { source_ = g_timeout_add(20, Poll, this); }
    ~TitledDialogWatcher()
    {
        if (source_)
            g_source_remove(source_);
        Watch(nullptr);
    }
    TitledDialogWatcher(const TitledDialogWatcher&) = delete;
    TitledDialogWatcher& operator=(const TitledDialogWatcher&) = delete;

    // Answers the dialog with this title once it has been on screen a few polls.
    void AnswerTitled(const std::string& title, Answer answer) { answers_[title] = std::move(answer); }

    std::vector<std::string> seen;

private:
    static gboolean Poll(gpointer self)
    {
        TitledDialogWatcher* w = static_cast<TitledDialogWatcher*>(self);
        GtkDialog* dialog = ModalDialogAnswerer::FindModalDialog();
        // current_ is a weak pointer: a new dialog may reuse a destroyed one's address.
        if (dialog != w->current_) {
            w->Watch(dialog);
            w->polls_ = 0;
            if (dialog) {
                const gchar* title = gtk_window_get_title(GTK_WINDOW(dialog));
                w->seen.push_back(title ? title : "");
            }
        }
        if (dialog && ++w->polls_ == 3) {
            auto it = w->answers_.find(w->seen.back());
            if (it != w->answers_.end())
                it->second(dialog);
        }
        return TRUE;
    }

    void Watch(GtkDialog* dialog)
    {
        if (current_)
            g_object_remove_weak_pointer(G_OBJECT(current_), reinterpret_cast<gpointer*>(&current_));
        current_ = dialog;
        if (current_)
            g_object_add_weak_pointer(G_OBJECT(current_), reinterpret_cast<gpointer*>(&current_));
    }

    guint source_ = 0;
    GtkDialog* current_ = nullptr;
    int polls_ = 0;
    std::map<std::string, Answer> answers_;
};
