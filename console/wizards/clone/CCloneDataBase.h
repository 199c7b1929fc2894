// The clone wizard's data shared by its pages and the console. The end sign tells
// the console whether the wizard closed itself (its dialog is then gone already); the
// target disk is the one the planned layout is drawn for.
#pragma once

class CCloneDataBase {
public:
    static CCloneDataBase* Instance();

    void SetEndSign(int sign) { m_endSign = sign; }
    int GetEndSign() const { return m_endSign; }
    void SetCloneTargetDisk(int disk) { m_targetDisk = disk; }
    int GetCloneTargetDisk() const { return m_targetDisk; }

private:
    CCloneDataBase() = default;
    int m_endSign = 0;
    int m_targetDisk = 0;
};
