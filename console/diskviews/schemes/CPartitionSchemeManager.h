// Every partition scheme file (name ending in exactly ".psc") of one folder.
#pragma once

#include <string>
#include <vector>

#include "SchemeAndPath.h"

class CPartitionSchemeManager {
public:
    CPartitionSchemeManager() {}
    CPartitionSchemeManager(const CPartitionSchemeManager&) = delete;
    CPartitionSchemeManager& operator=(const CPartitionSchemeManager&) = delete;
    virtual ~CPartitionSchemeManager();

    // Replaces the loaded schemes by those of the folder; false when it cannot be opened.
    bool LoadScheme(const std::string& folder);
    // The same for the current working directory; false when it cannot be told.
    bool LoadScheme();
    int GetSchemeCount() const;
    CPartitionScheme* GetScheme(int index) const;
    void Release();

private:
    std::vector<SCHEME_AND_PATH*> m_schemes;
};
