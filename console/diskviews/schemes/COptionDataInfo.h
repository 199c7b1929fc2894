// The second process-wide option object; it is its own scheme information.
#pragma once

class COptionDataInfo {
public:
    static COptionDataInfo& Instance();
    COptionDataInfo* GetSchemeInfo() { return this; }

private:
    COptionDataInfo() {}
    ~COptionDataInfo() {}
};
