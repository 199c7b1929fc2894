#include "CBaseWizardPage.h"

CBaseWizardPage::CBaseWizardPage(IWizard* wizard) : m_wizard(wizard)
{
    m_page = gtk_hbox_new(FALSE, 0);
    // The page box outlives its removal from the notebook (the edit page is swapped
    // out and in again), so the page keeps its own reference.
    g_object_ref_sink(m_page);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_page), column, TRUE, TRUE, 0);
    // The head area stays empty on every page: it takes no room of the page's.
    m_headArea = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_headArea, FALSE, FALSE, 0);
    m_functionArea = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_functionArea, TRUE, TRUE, 10);
}

CBaseWizardPage::~CBaseWizardPage()
{
    if (m_page) {
        gtk_widget_destroy(m_page);
        g_object_unref(m_page);
    }
}
