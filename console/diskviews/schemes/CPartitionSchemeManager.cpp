#include "CPartitionSchemeManager.h"

#include <dirent.h>
#include <unistd.h>

#include <cstring>

namespace {
// The name from its first "." on must be exactly ".psc": "a.b.psc", "x.PSC" and
// backup copies such as "x.psc.bak" are not scheme files.
bool IsSchemeFileName(const char* name)
{
    const char* dot = std::strchr(name, '.');
    return dot != nullptr && std::strcmp(dot, ".psc") == 0;
}
}  // namespace

CPartitionSchemeManager::~CPartitionSchemeManager()
{
    Release();
}

bool CPartitionSchemeManager::LoadScheme(const std::string& folder)
{
    Release();
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    while (const dirent* entry = readdir(dir)) {
        if (!IsSchemeFileName(entry->d_name))
            continue;
        std::string path = folder;
        if (path.empty() || path.back() != '/')
            path += '/';
        path += entry->d_name;
        SCHEME_AND_PATH* loaded = new SCHEME_AND_PATH();
        loaded->path = path;
        if (loaded->scheme.ReadFrom(path))
            m_schemes.push_back(loaded);
        else
            delete loaded;
    }
    closedir(dir);
    return true;
}

bool CPartitionSchemeManager::LoadScheme()
{
    char folder[260];
    if (getcwd(folder, sizeof(folder)) == nullptr) {
        Release();
        return false;
    }
    return LoadScheme(std::string(folder));
}

int CPartitionSchemeManager::GetSchemeCount() const
{
    return static_cast<int>(m_schemes.size());
}

CPartitionScheme* CPartitionSchemeManager::GetScheme(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_schemes.size())
        return nullptr;
    return &m_schemes[static_cast<size_t>(index)]->scheme;
}

void CPartitionSchemeManager::Release()
{
    for (SCHEME_AND_PATH* loaded : m_schemes)
        delete loaded;
    m_schemes.clear();
}
