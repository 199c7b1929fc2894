// The drawn strip of the edit-partition step: free space before, the partition with a
// grab bar at each edge, free space after. Dragging the middle moves the partition,
// dragging a bar resizes it; each step is offered to the move/resize manager and the
// strip follows only what it accepts. The same block shows one partition or one free
// stretch in a disk panel row (Init, SetBlockLength, SetLength).
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "IDeviceBlock.h"
#include "IMoveResizeManager.h"
#include "StripGeometry.h"
#include "StripTexts.h"
#include "vessmar/FileSystemType.h"

class IManagerItem;
class CDiskPanel;
class CPanelBady;
class CPanelHeader;

// FAT16 and FAT32 of an active partition are kept below this size (MB): the machine's
// loader reads no larger boot volume.
constexpr double kActiveFatCapMB = 393216.0;

class CMoveResizeDeviceBlock : public IDeviceBlock {
public:
    CMoveResizeDeviceBlock();
    ~CMoveResizeDeviceBlock() override;

    // The edit-partition step.
    void SetMoveResizeManager(IMoveResizeManager* manager) { m_manager = manager; }
    void InitMoveResizeDlg(IManagerItem* item);
    // Lays the strip out from the manager's current layout.
    void SetMoveReSizeDlgBlockSize(int width = kStripWidth);
    void SetMainWindowBlockLength(double before, double size, double after) override;
    int GetBloclActive() override { return m_active ? 1 : 0; }
    void SetBloclActive(int active) { m_active = active != 0; }
    // Dragging the middle is allowed only while the move-stop value is 0, dragging a
    // bar only while the end-stop value is 0.
    void SetMoveStopSign(int value) { m_moveStop = value; }
    void SetEstopSign(int value) { m_endStop = value; }
    // Non-zero: drag steps do not update the page live; the release does.
    void SetDragInvalidation(int off) { m_liveUpdateOff = off != 0; }
    // Whether an accepted step moved or resized the partition since the last press.
    bool MoveResizeSign() const { return m_moved; }

    // The disk views.
    void Init(IManagerItem* item);
    void InitCreteDlg(IManagerItem*) {}
    void InitImproperDevice(std::string) {}
    void AfreshSetActiveBlock() {}
    void InitPartitionBlock();
    void InitUnallocateBlock();
    void SetFileSystem(enumFILE_SYSTEM_TYPE fileSystem);
    // Before, size and after in MB; smallest is the smallest size the partition can take.
    void SetBlockLength(double before, double size, double after, double smallest);
    void SetLength(int width);
    void UpdateDeviceBlock();
    void AfreshDraw(GtkWidget* widget);
    // Display text of file-system text, through the text module; empty without it.
    std::string CharacterConversion(const char* text);

    void SetAllDiskPanel(CDiskPanel* panel) { m_allDiskPanel = panel; }
    // The row the block lies in and the row's width in pixels.
    void SetPanelObject(CPanelBady* panel, int rowWidth)
    {
        m_panel = panel;
        m_panelLength = rowWidth;
    }
    void SaveHeader(CPanelHeader* header) { m_header = header; }
    void SetDevSectorCount(unsigned long long sectors) { m_devSectors = sectors; }
    unsigned long long GetDevSectorCount() const { return m_devSectors; }
    void SetParentWnd(GtkWidget* parent);

    bool IsPartition() const { return m_isPartition; }
    int GetBlockSize() const { return m_box->allocation.width; }
    GtkWidget* GetDeviceBlock() const { return m_box; }
    GtkWidget* GetLeftBar() const { return m_leftBar; }
    GtkWidget* GetRightBar() const { return m_rightBar; }
    GtkWidget* GetMainBlock() const { return m_main; }
    GtkWidget* GetLeftFree() const { return m_leftFree; }
    GtkWidget* GetRightFree() const { return m_rightFree; }
    const StripWidths& Widths() const { return m_widths; }
    int GetFileSystem() const { return m_fileSystem; }
    const std::string& GetFileSystemName() const { return m_fileSystemName; }
    const std::string& GetDriveText() const { return m_driveText; }
    const std::string& GetVolumeLabel() const { return m_label; }
    const std::string& GetTooltipText() const { return m_tooltip; }
    ImproperDiskKind GetImproperKind() const { return m_improper; }
    bool HasActiveFatCap() const { return m_activeFatCap; }
    double GetSizeOfOnePix() const { return m_pixelSize; }
    double GetSize() const { return m_size; }
    unsigned long long GetUsedMB() const { return m_usedMB; }
    void GetMinAndMaxSize(double& smallest, double& largest) const
    {
        smallest = m_smallest;
        largest = m_largest;
    }

    // Refreshes the cached state from the manager and hands out a copy.
    MOVERESIZE_MANAGER_PARAM GetMMP();

private:
    // File system of a partition item; foreign Linux kinds become 4 (never resized).
    void ReadFileSystem(IManagerItem* item);
    void ReadMinAndMaxSize();
    void ForgetParent();
    void ApplyWidths(int height = kStripHeight);
    void SetTooltip(const std::string& text);
    void OnPress(GtkWidget* widget, int rootX);
    void OnMotion(int rootX);
    bool MiddleStepAccepted(int dx, const MOVERESIZE_MANAGER_PARAM& p);
    bool BarStepAccepted(int dx, const MOVERESIZE_MANAGER_PARAM& p);
    void OnRelease(unsigned button);
    void Draw(GtkWidget* widget);
    static gboolean OnExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnMotionNotify(GtkWidget* widget, GdkEventMotion* event, gpointer self);
    static gboolean OnEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);

    int m_moveStop = 0;
    GtkWidget* m_box;
    GtkWidget* m_leftFree = nullptr;
    GtkWidget* m_leftBar = nullptr;
    GtkWidget* m_main = nullptr;
    GtkWidget* m_rightBar = nullptr;
    GtkWidget* m_rightFree = nullptr;
    CDiskPanel* m_allDiskPanel = nullptr;
    IMoveResizeManager* m_manager = nullptr;
    MOVERESIZE_MANAGER_PARAM m_param{};
    IManagerItem* m_item = nullptr;
    StripWidths m_widths;
    bool m_dragMiddle = false;
    bool m_dragLeftBar = false;
    bool m_dragRightBar = false;
    bool m_moved = false;
    bool m_liveUpdateOff = false;
    bool m_active = false;
    double m_pixelSize = 0;
    double m_size = 0;
    int m_fileSystem = FILE_SYSTEM_NTFS;
    int m_pressX = 0;
    CPanelBady* m_panel = nullptr;
    int m_panelLength = 0;
    CPanelHeader* m_header = nullptr;
    double m_usedRatio = 0;
    std::string m_fileSystemName;
    std::string m_driveText;
    std::string m_label;
    std::string m_tooltip;
    ImproperDiskKind m_improper = ImproperDiskKind::None;
    bool m_isPartition = false;
    int m_endStop = 0;
    bool m_activeFatCap = false;
    double m_smallest = 0;
    double m_largest = 0;
    double m_smallestShown = 0;  // whole MB of the smallest size the ratio was taken from
    unsigned long long m_usedMB = 0;
    unsigned long long m_devSectors = 0;
    GtkWidget* m_parent = nullptr;
    gulong m_parentExpose = 0;
};
