#include "ModalDialogAnswerer.h"

#include "GuiEvents.h"

namespace {
constexpr guint kPollMs = 20;
// Polls the dialog must have been mapped for before it is answered, so that it has
// been laid out and drawn.
constexpr int kSettlePolls = 3;
} // namespace

ModalDialogAnswerer::ModalDialogAnswerer(Answer answer, int timeoutMs)
    : answer_(std::move(answer)), deadline_(g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000)
{
    source_ = g_timeout_add(kPollMs, Poll, this);
}

ModalDialogAnswerer::~ModalDialogAnswerer()
{
    if (source_)
        g_source_remove(source_);
}

GtkDialog* ModalDialogAnswerer::FindModalDialog()
{
    GtkDialog* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* it = toplevels; it; it = it->next) {
        GtkWidget* widget = GTK_WIDGET(it->data);
        if (GTK_IS_DIALOG(widget) && gtk_window_get_modal(GTK_WINDOW(widget)) && gtk_widget_get_mapped(widget))
            found = GTK_DIALOG(widget);
    }
    g_list_free(toplevels);
    return found;
}

GtkWidget* ModalDialogAnswerer::ButtonForResponse(GtkDialog* dialog, int response)
{
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(dialog->action_area));
    for (GList* it = children; it; it = it->next) {
        GtkWidget* child = GTK_WIDGET(it->data);
        if (gtk_dialog_get_response_for_widget(dialog, child) == response)
            found = child;
    }
    g_list_free(children);
    return found;
}

ModalDialogAnswerer::Answer ModalDialogAnswerer::ClickResponse(int response)
{
    return [response](GtkDialog* dialog) {
        if (GtkWidget* button = ButtonForResponse(dialog, response))
            gui_events::Click(button);
    };
}

ModalDialogAnswerer::Answer ModalDialogAnswerer::TapKey(unsigned keyval)
{
    return [keyval](GtkDialog* dialog) {
        gui_events::Focus(GTK_WIDGET(dialog));
        gui_events::MovePointer(gui_events::CentreOf(GTK_WIDGET(dialog)));
        gui_events::TapKey(keyval);
    };
}

ModalDialogAnswerer::Answer ModalDialogAnswerer::Respond(int response)
{
    return [response](GtkDialog* dialog) { gtk_dialog_response(dialog, response); };
}

gboolean ModalDialogAnswerer::Poll(gpointer self)
{
    ModalDialogAnswerer* answerer = static_cast<ModalDialogAnswerer*>(self);
    GtkDialog* dialog = FindModalDialog();

    if (answerer->answered_ && dialog != answerer->dialog_) {
        answerer->source_ = 0; // the answered dialog is gone: done
        return FALSE;
    }
    if (g_get_monotonic_time() >= answerer->deadline_) {
        answerer->timedOut_ = true;
        if (dialog)
            gtk_dialog_response(dialog, GTK_RESPONSE_DELETE_EVENT);
        answerer->source_ = 0;
        return FALSE;
    }
    if (!answerer->answered_ && dialog) {
        if (dialog != answerer->dialog_) {
            answerer->dialog_ = dialog;
            answerer->mappedPolls_ = 0;
        }
        if (++answerer->mappedPolls_ >= kSettlePolls) {
            answerer->answered_ = true;
            const gchar* title = gtk_window_get_title(GTK_WINDOW(dialog));
            answerer->title_ = title ? title : "";
            answerer->answer_(dialog);
        }
    }
    return TRUE;
}
