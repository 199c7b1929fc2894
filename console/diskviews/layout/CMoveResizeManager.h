// The move/resize edit of one partition between the free space before and after it:
// sizes in MB (sectors / 2048), every change checked against the file-system limits,
// and at the end turned into cylinder-aligned sectors or a re-created partition.
#pragma once

#include <cstdint>

#include "IMoveResizeManager.h"
#include "layout/MoveResizeOperationParam.h"
#include "vessmar/AddPartitionParam.h"

// The name the manager's failed assertions print.
inline constexpr char kMoveResizeSource[] = "MoveResizeManager";

class CMoveResizeManager : public IMoveResizeManager {
public:
    CMoveResizeManager();
    // dataMarginSmall: data keeps 2 % room (the restore edit page) instead of 6 %.
    explicit CMoveResizeManager(bool dataMarginSmall);
    CMoveResizeManager(const CMoveResizeManager&) = default;
    CMoveResizeManager& operator=(const CMoveResizeManager&) = default;
    ~CMoveResizeManager() override {}

    bool IfPrePartitionCanAdded(double newBefore) override;
    bool IfPrePartitionCanReduced(double newBefore) override;
    bool IfCurPartitionCanAdded(double newSize, bool oneSide, bool side) override;
    bool IfCurPartitionCanReduced(double newSize, bool oneSide, bool side) override;
    void SetCluster(unsigned long sectorsPerCluster) override;
    void SetFileSystemType(enumFILE_SYSTEM_TYPE fs) override;
    bool AddOperation() override;
    void UpdateUi(bool redraw, bool setSpins) override;
    void SetMoveResizeInterface(IMoveResizeDlg* dlg) override;
    void InitManager(IManagerItem* item) override;
    void GetOutParam(MOVERESIZE_MANAGER_PARAM& param) override;
    void GetNtfsMinAndMaxSize(double& minMB, double& maxMB) override;
    void GetFatMinAndMaxSize(double& minMB, double& maxMB) override;
    bool IfNeedCorrectPartitionSize() override;
    void UpdateUiWithCorrectedValue() override;
    void SetAllDiskPanelInterface(IAllDiskPanel* panel) override;

    virtual bool UpdateManagerItem();
    virtual bool CorrectPartitionSize(enumFILE_SYSTEM_TYPE fs, unsigned long cluster, unsigned long long used,
                                      double before, double size, double after, double mb, bool oneSide, bool side);
    virtual void GetFatMinAndMaxClusterSize(unsigned long& minCluster, unsigned long& maxCluster, bool ignored);
    virtual void SetPrimaryLogical(bool primary);

    bool GetCorrectedParam(IManagerItem* item, MOVE_RESIZE_OPERATION_PARAM in, MOVE_RESIZE_OPERATION_PARAM& out);
    bool CorrectStartAndEndSector(IManagerItem* item, unsigned long long first, unsigned long long last,
                                  unsigned long long& outFirst, unsigned long long& outLast);
    void GetAddPartitionParamInfo(AddPartitionParam& param, IManagerItem* item);
    bool IsMoveResizeEnable() const;
    IManagerItem* GetCurrentItem() const { return m_pCurPartitionItem; }

    // Sizing rules.
    static unsigned long ClusterSizeFor(enumFILE_SYSTEM_TYPE fs, double mb);
    unsigned long GetReducedNewClusterSize(enumFILE_SYSTEM_TYPE& fs, double mb, bool ignored) const;
    unsigned long GetAddedNewClusterSize(enumFILE_SYSTEM_TYPE& fs, double mb, bool ignored) const;
    static enumFILE_SYSTEM_TYPE GetFitFileSystem(enumFILE_SYSTEM_TYPE fs, double mb, bool growing);
    static bool IfNewPartitionSizeSurrportFileSystem(unsigned long long sectors, enumFILE_SYSTEM_TYPE& fs);
    unsigned long long DataMargin(unsigned long long used) const;
    bool GetNewFatInfoIfCanSuccessReduced(double mb, enumFILE_SYSTEM_TYPE& fs, unsigned long& cluster,
                                          unsigned long long& used);
    bool GetNewFatInfoIfCanSuccessAdded(double mb, enumFILE_SYSTEM_TYPE& fs, unsigned long& cluster,
                                        unsigned long long& used);
    bool FatPartitionReduced(double mb, bool oneSide, bool side);
    bool FatPartitionAdded(double mb, bool oneSide, bool side);
    bool NtfsPartitionReduced(double mb, bool oneSide, bool side);
    bool NtfsPartitionAdded(double mb, bool oneSide, bool side);
    bool GetNewClusterAndUsedSectorWithPartitionSizeAndFileSystem(IManagerItem* item, unsigned long long newSectors,
                                                                  enumFILE_SYSTEM_TYPE fs, unsigned long& cluster,
                                                                  unsigned long long& used);

private:
    // Room the partition may grow into; the first logical partition keeps one cylinder.
    double Room() const;
    double BeforeRoom() const;
    bool IsFirstLogical() const;
    bool ShrinkInto(double d, double minimum, bool oneSide, bool side);
    bool GrowFrom(double d, bool oneSide, bool side);
    void RestoreInitial();
    uint32_t FatUsedAfter(enumFILE_SYSTEM_TYPE fs, unsigned long long newSectors, unsigned long cluster) const;
    uint32_t ExtraReserved() const;
    bool BuildSectors(MOVE_RESIZE_OPERATION_PARAM& out);
    void DropEdit();

    IManagerItem* m_pCurPartitionItem;
    IManagerItem* m_pPreItem;
    IManagerItem* m_pNextItem;
    enumFILE_SYSTEM_TYPE m_fileSystem;
    uint32_t m_sectorsPerCluster;
    uint64_t m_usedSectors;
    double m_before;
    double m_size;
    double m_after;
    double m_total;
    enumFILE_SYSTEM_TYPE m_initFileSystem;
    uint32_t m_initSectorsPerCluster;
    uint64_t m_initUsedSectors;
    double m_initBefore;
    double m_initSize;
    double m_initAfter;
    bool m_needCorrect;
    double m_correctedBefore;
    double m_correctedSize;
    double m_correctedAfter;
    IMoveResizeDlg* m_pDlg;
    IAllDiskPanel* m_pAllDiskPanel;
    double m_cylinder;
    bool m_dataMarginSmall;
};
