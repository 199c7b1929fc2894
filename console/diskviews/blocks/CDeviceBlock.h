// One block of a disk map row: a partition, a stretch of free space, or a whole disk
// that cannot be split (GPT, dynamic, bad). The row decides the block's width; the
// block only draws: 1-px gaps, 5-px bars in the file system's colours, and the body.
#pragma once

#include <gtk/gtk.h>

#include "BlockLook.h"

class ITasque;

class CDeviceBlock {
public:
    // With checkDisk set, the disk is asked whether it is GPT, dynamic or bad before the
    // block is built; otherwise the block shows its own record.
    CDeviceBlock(ITasque* command, int width, __PARTITION_INFO_CMD record, int disk, int checkDisk);
    virtual ~CDeviceBlock();
    CDeviceBlock(const CDeviceBlock&) = delete;
    CDeviceBlock& operator=(const CDeviceBlock&) = delete;

    virtual void InitDeviceBlock(int width);
    // Requests the sizes that make the block len pixels wide and 40 high.
    void SetBlockLength(int len);
    GtkWidget* GetDevBlock() const { return m_row; }
    int IsDynamic() const { return m_look.wholeDisk ? 1 : 0; }
    int GetBlockLength() const { return m_length; }
    const DeviceBlockLook& Look() const { return m_look; }
    void SetFileSystemColor(cairo_t* cr, GtkWidget* widget);

private:
    void TestDisk(ITasque* command, int disk);
    static gboolean on_draw_bar(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean on_draw_partition(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean on_draw_Unallocated(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    DeviceBlockLook m_look;
    GtkWidget* m_row = nullptr;
    GtkWidget* m_leftGap = nullptr;
    GtkWidget* m_leftBar = nullptr;
    GtkWidget* m_body = nullptr;
    GtkWidget* m_rightBar = nullptr;
    GtkWidget* m_rightGap = nullptr;
    int m_length = 0;
};

// Whether a partition is the one the console runs from; the console never runs from a
// disk it lists, so always 0. The device list keeps it as a row's first check state.
int IsCurrentSystemPath(int disk, int partition, ITasque* command);
