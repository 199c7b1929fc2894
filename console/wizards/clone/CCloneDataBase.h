// The clone task: what the wizard's pages and the console share for one process. The
// end sign tells the console whether the wizard closed itself (its dialog is then gone
// already); the close sign stops the progress page's poll. The three lists are the
// planned layout's: one copy item per source partition on each side, and one partition
// to create on the destination per source partition, in the same order.
#pragma once

#include <vector>

#include "RestoreInfo.h"
#include "vessmar/AddPartitionParam.h"

class CCloneDataBase {
public:
    static CCloneDataBase* Instance();

    void SetEndSign(int sign) { m_endSign = sign; }
    int GetEndSign() const { return m_endSign; }
    void SetCloseSign(int sign) { m_closeSign = sign; }
    int GetCloseSign() const { return m_closeSign; }
    void SetCloneSourceDisk(int disk) { m_sourceDisk = disk; }
    int GetCloneSourceDisk() const { return m_sourceDisk; }
    void SetCloneTargetDisk(int disk) { m_targetDisk = disk; }
    int GetCloneTargetDisk() const { return m_targetDisk; }

    int GetSourceParCount() const { return static_cast<int>(m_sourceParts.size()); }
    int GetRestoreParCount() const { return static_cast<int>(m_restoreParts.size()); }
    int GetAddParNumber() const { return static_cast<int>(m_addParts.size()); }
    // The element at index, an index past the end giving the last one; null when the
    // list is empty.
    _RESTORE_INFO* GetSourceParInfo(int index) { return Clamped(m_sourceParts, index); }
    _RESTORE_INFO* GetRestoreInfo(int index) { return Clamped(m_restoreParts, index); }
    AddPartitionParam* GetAddPartitionParam(int index) { return Clamped(m_addParts, index); }
    void ClearSourceParInfo() { m_sourceParts.clear(); }
    void ClearRestoreParInfo() { m_restoreParts.clear(); }
    void ClearAddPartitionParam() { m_addParts.clear(); }
    void SetAddPartitionParam(AddPartitionParam param) { m_addParts.push_back(param); }

    // The layout fills the two copy-item lists directly.
    std::vector<_RESTORE_INFO>& SourceParts() { return m_sourceParts; }
    std::vector<_RESTORE_INFO>& RestoreParts() { return m_restoreParts; }
    std::vector<AddPartitionParam>& AddParts() { return m_addParts; }

private:
    CCloneDataBase() = default;
    template <class T>
    static T* Clamped(std::vector<T>& list, int index)
    {
        if (list.empty())
            return nullptr;
        if (index < 0)
            index = 0;
        return &list[static_cast<size_t>(index) < list.size() ? static_cast<size_t>(index) : list.size() - 1];
    }

    int m_endSign = 0;
    int m_closeSign = 0;
    int m_sourceDisk = 0;
    int m_targetDisk = 0;
    std::vector<_RESTORE_INFO> m_sourceParts;
    std::vector<_RESTORE_INFO> m_restoreParts;
    std::vector<AddPartitionParam> m_addParts;
};
