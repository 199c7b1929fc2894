// The model of the move/resize edit: free space before, partition size and free space
// after, in MB, checked against the file-system limits.
#pragma once

#include "IAllDiskPanel.h"
#include "IMoveResizeDlg.h"
#include "layout/MoveResizeManagerParam.h"
#include "vessmar/FileSystemType.h"

class IManagerItem;

class IMoveResizeManager {
public:
    virtual ~IMoveResizeManager() {}
    virtual bool IfPrePartitionCanAdded(double newBefore) = 0;
    virtual bool IfPrePartitionCanReduced(double newBefore) = 0;
    virtual bool IfCurPartitionCanAdded(double newSize, bool oneSide, bool side) = 0;
    virtual bool IfCurPartitionCanReduced(double newSize, bool oneSide, bool side) = 0;
    virtual void SetCluster(unsigned long sectorsPerCluster) = 0;
    virtual void SetFileSystemType(enumFILE_SYSTEM_TYPE fs) = 0;
    virtual bool AddOperation() = 0;
    virtual void UpdateUi(bool redraw, bool setSpins) = 0;
    virtual void SetMoveResizeInterface(IMoveResizeDlg* dlg) = 0;
    virtual void InitManager(IManagerItem* item) = 0;
    virtual void GetOutParam(MOVERESIZE_MANAGER_PARAM& param) = 0;
    virtual void GetNtfsMinAndMaxSize(double& minMB, double& maxMB) = 0;
    virtual void GetFatMinAndMaxSize(double& minMB, double& maxMB) = 0;
    virtual bool IfNeedCorrectPartitionSize() = 0;
    virtual void UpdateUiWithCorrectedValue() = 0;
    virtual void SetAllDiskPanelInterface(IAllDiskPanel* panel) = 0;
};
