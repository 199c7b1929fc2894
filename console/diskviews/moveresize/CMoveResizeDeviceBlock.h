// The drawn strip of the edit-partition step: free space before, the partition with a
// grab bar at each edge, free space after. Dragging the middle moves the partition,
// dragging a bar resizes it; each step is offered to the move/resize manager and the
// strip follows only what it accepts.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "IDeviceBlock.h"
#include "IMoveResizeManager.h"
#include "StripGeometry.h"

class IManagerItem;

class CMoveResizeDeviceBlock : public IDeviceBlock {
public:
    CMoveResizeDeviceBlock();
    ~CMoveResizeDeviceBlock() override;

    void SetMoveResizeManager(IMoveResizeManager* manager) { m_manager = manager; }
    void InitMoveResizeDlg(IManagerItem* item);
    // Lays the strip out from the manager's current layout.
    void SetMoveReSizeDlgBlockSize(int width = kStripWidth);
    void SetMainWindowBlockLength(double before, double size, double after) override;
    int GetBloclActive() override { return m_active ? 1 : 0; }

    GtkWidget* GetDeviceBlock() const { return m_box; }
    GtkWidget* GetLeftBar() const { return m_leftBar; }
    GtkWidget* GetRightBar() const { return m_rightBar; }
    GtkWidget* GetMainBlock() const { return m_main; }
    GtkWidget* GetLeftFree() const { return m_leftFree; }
    GtkWidget* GetRightFree() const { return m_rightFree; }
    const StripWidths& Widths() const { return m_widths; }
    int GetFileSystem() const { return m_fileSystem; }
    const std::string& GetFileSystemName() const { return m_fileSystemName; }
    double GetSizeOfOnePix() const { return m_pixelSize; }

private:
    MOVERESIZE_MANAGER_PARAM GetMMP();
    void ApplyWidths();
    void OnPress(GtkWidget* widget, int rootX);
    void OnMotion(int rootX);
    void OnRelease();
    static gboolean OnExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnMotionNotify(GtkWidget* widget, GdkEventMotion* event, gpointer self);
    static gboolean OnEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);

    IMoveResizeManager* m_manager = nullptr;
    MOVERESIZE_MANAGER_PARAM m_param{};
    GtkWidget* m_box;
    GtkWidget* m_leftFree;
    GtkWidget* m_leftBar;
    GtkWidget* m_main;
    GtkWidget* m_rightBar;
    GtkWidget* m_rightFree;
    StripWidths m_widths;
    bool m_active = false;
    bool m_dragMiddle = false;
    bool m_dragLeftBar = false;
    bool m_dragRightBar = false;
    bool m_moved = false;
    int m_pressX = 0;
    double m_pixelSize = 1.0;
    double m_smallest = 0;
    double m_largest = 0;
    double m_usedRatio = 0;
    int m_fileSystem = 3;
    std::string m_fileSystemName;
};
