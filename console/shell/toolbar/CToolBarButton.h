// A picture button: an event box holding one image whose picture follows the
// pointer (normal, hover, click, disable). The tool bar, the start page and the
// menu bar use it. Owners connect their own "button_release_event" handler after
// construction; it then runs only for completed clicks (see ToolBarButtonState).
#pragma once

#include "ToolBarButtonState.h"

#include <gtk/gtk.h>

#include <string>

class CToolBarButton {
public:
    CToolBarButton(const char* normal, const char* hover, const char* click, const char* disable);
    ~CToolBarButton();
    CToolBarButton(const CToolBarButton&) = delete;
    CToolBarButton& operator=(const CToolBarButton&) = delete;

    GtkWidget* GetBtnWidget() const { return m_eventBox; }
    void SetBtnImage(const char* path);
    void SetBtnSensitive(int sensitive);
    int GetBtnSensitive() const { return m_sensitive; }
    bool IsDisable() const { return m_sensitive == 0; }
    // A button greyed for good shows its disable picture and reacts to nothing.
    bool IsGreyedForGood() const { return m_greyedForGood; }

    // Texts longer than the arrays are cut, never written past them.
    void SetTip(const char* text);
    const char* GetTip() const { return m_tip; }
    void SetStatusText(const char* text);
    const char* GetStatusText() const { return m_statusText; }
    // The path of the picture shown last.
    const std::string& GetShownPicture() const { return m_shown; }

    static constexpr size_t kTextCapacity = 1024;

    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnButtonEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnButtonLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);

private:
    gboolean Apply(const ButtonReaction& reaction);

    char m_tip[kTextCapacity] = {};
    char m_statusText[kTextCapacity] = {};
    GtkWidget* m_eventBox = nullptr;
    GtkWidget* m_image = nullptr;
    int m_sensitive = 1;
    std::string m_normal;
    std::string m_hover;
    std::string m_click;
    std::string m_disable;
    ToolBarButtonState m_state;
    bool m_greyedForGood = false;
    std::string m_shown;
};
