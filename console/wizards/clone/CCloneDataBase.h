// The clone wizard's data shared by its pages and the console. The end sign tells
// the console whether the wizard closed itself (its dialog is then gone already).
#pragma once

class CCloneDataBase {
public:
    static CCloneDataBase* Instance();

    void SetEndSign(int sign) { m_endSign = sign; }
    int GetEndSign() const { return m_endSign; }

private:
    CCloneDataBase() = default;
    int m_endSign = 0;
};
