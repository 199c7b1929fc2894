#include "CChkImgBasePage.h"

void SetFontStyle(GtkWidget* widget)
{
    PangoFontDescription* font = pango_font_description_from_string("SimSun 7 ");
    gtk_widget_modify_font(widget, font);
    pango_font_description_free(font);
}

CChkImgBasePage::CChkImgBasePage(IChkImgWizard* wizard) : m_wizard(wizard)
{
    m_frame = gtk_frame_new(nullptr);
    g_object_ref_sink(m_frame);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    m_functionArea = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_frame), column);
    gtk_box_pack_start(GTK_BOX(column), row, TRUE, TRUE, 10);
    gtk_box_pack_start(GTK_BOX(row), m_functionArea, TRUE, TRUE, 10);
}

CChkImgBasePage::~CChkImgBasePage()
{
    // The notebook held its own reference; the page drops the one it took.
    g_object_unref(m_frame);
}
