// The clone wizard's drawn title band: a blue band with its background picture, the
// page's picture, and a title and subtitle in white.
#pragma once

#include <gtk/gtk.h>

#include <string>

class CCloneWizardHeader {
public:
    CCloneWizardHeader();
    virtual ~CCloneWizardHeader();
    CCloneWizardHeader(const CCloneWizardHeader&) = delete;
    CCloneWizardHeader& operator=(const CCloneWizardHeader&) = delete;

    virtual GtkWidget* GetWizardHeaderInterface() { return m_header; }
    virtual void SetHeaderText(const char* title, const char* subtitle);
    virtual void SetHeaderPicture(const char* path, int placement);
    virtual void HideHeader(int hide);
    void QueueDrawHeader();

    const std::string& Title() const { return m_title; }
    const std::string& Subtitle() const { return m_subtitle; }
    const std::string& Picture() const { return m_picture; }
    int Placement() const { return m_placement; }

    static constexpr int kWidth = 400;
    static constexpr int kHeight = 58;

private:
    static gboolean OnExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    void Draw(GtkWidget* widget);

    GtkWidget* m_header = nullptr;
    std::string m_title, m_subtitle, m_picture;
    int m_placement = 0;
};
