// The header of a disk map row: the disk's number and size on green.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "ICensa.h"

class CPanelHeader {
public:
    CPanelHeader() = default;
    ~CPanelHeader();
    CPanelHeader(const CPanelHeader&) = delete;
    CPanelHeader& operator=(const CPanelHeader&) = delete;

    // A live disk: its size as the disk enumeration reports it.
    void InitHeader(unsigned long long disk);
    // A disk of an image version: the size of what the image holds of it, never the size
    // of a live disk that happens to have the same number.
    void InitImageHeader(unsigned long long disk, unsigned long long sectors);
    GtkWidget* GetHeader() const { return m_box; }
    std::string Text() const;

private:
    void Build(unsigned long long disk);
    static gboolean on_draw_disk_header(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    ICensa* m_censa = nullptr;
    GtkWidget* m_box = nullptr;
    _KS_DISK_INFO m_disk{};
    unsigned long long m_number = 0;
};
