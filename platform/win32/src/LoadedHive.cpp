#include "LoadedHive.h"

#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"

#include <fcntl.h>
#include <hivex.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ks_platform {

namespace {

hive_h* HiveOf(void* hive) { return static_cast<hive_h*>(hive); }

DWORD ReadHostFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    std::ostringstream all;
    all << in.rdbuf();
    bytes = all.str();
    return ERROR_SUCCESS;
}

DWORD WriteHostFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return ERROR_ACCESS_DENIED;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

std::string HostPathOf(const std::string& path)
{
    std::wstring wide(path.begin(), path.end());
    return KSPlatformHostPath(wide.c_str());
}

bool ValueAt(hive_h* hive, hive_value_h handle, RegValue& value)
{
    char* key = hivex_value_key(hive, handle);
    hive_type type = hive_t_none;
    size_t length = 0;
    char* data = hivex_value_value(hive, handle, &type, &length);
    const bool read = key && data;
    if (read) {
        value.name = key;
        value.type = static_cast<DWORD>(type);
        value.data.assign(data, data + length);
    }
    std::free(key);
    std::free(data);
    return read;
}

} // namespace

DWORD ReadWin32File(const std::string& path, std::string& bytes)
{
    if (KSVolumeFilePath(path.c_str()))
        return KSVolumeFileRead(path.c_str(), bytes);
    const std::string host = HostPathOf(path);
    return host.empty() ? ERROR_PATH_NOT_FOUND : ReadHostFile(host, bytes);
}

DWORD WriteWin32File(const std::string& path, const std::string& bytes)
{
    if (const DWORD injected = InjectedWriteError())
        return injected;
    if (KSVolumeFilePath(path.c_str()))
        return KSVolumeFileWrite(path.c_str(), bytes);
    const std::string host = HostPathOf(path);
    return host.empty() ? ERROR_PATH_NOT_FOUND : WriteHostFile(host, bytes);
}

std::shared_ptr<LoadedHive> LoadedHive::Load(const std::string& file, DWORD& error)
{
    std::string bytes;
    error = ReadWin32File(file, bytes);
    if (error != ERROR_SUCCESS)
        return nullptr;
    const char* tmp = std::getenv("TMPDIR");
    std::string temp = std::string(tmp && *tmp ? tmp : "/tmp") + "/ks-hive-XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    hive_h* hive = written ? hivex_open(temp.c_str(), HIVEX_OPEN_WRITE) : nullptr;
    if (!hive) {
        ::unlink(temp.c_str());
        error = ERROR_NOT_REGISTRY_FILE;
        return nullptr;
    }
    std::shared_ptr<LoadedHive> loaded(new LoadedHive);
    loaded->hive_ = hive;
    loaded->file_ = file;
    loaded->temp_ = temp;
    error = ERROR_SUCCESS;
    return loaded;
}

LoadedHive::~LoadedHive()
{
    if (hive_)
        hivex_close(HiveOf(hive_));
    ::unlink(temp_.c_str());
}

size_t LoadedHive::Root() const { return hivex_root(HiveOf(hive_)); }

size_t LoadedHive::Child(size_t node, const std::string& name, bool create)
{
    size_t child = hivex_node_get_child(HiveOf(hive_), node, name.c_str());
    if (child == 0 && create) {
        child = hivex_node_add_child(HiveOf(hive_), node, name.c_str());
        changed_ = changed_ || child != 0;
    }
    return child;
}

DWORD LoadedHive::Query(size_t node, const std::string& name, RegValue& value)
{
    const hive_value_h handle = hivex_node_get_value(HiveOf(hive_), node, name.c_str());
    if (handle == 0)
        return ERROR_FILE_NOT_FOUND;
    return ValueAt(HiveOf(hive_), handle, value) ? ERROR_SUCCESS : ERROR_BADDB;
}

DWORD LoadedHive::Set(size_t node, const RegValue& value)
{
    hive_set_value set;
    std::string key = value.name;
    std::vector<char> data(value.data.begin(), value.data.end());
    set.key = &key[0];
    set.t = static_cast<hive_type>(value.type);
    set.len = data.size();
    set.value = data.empty() ? nullptr : data.data();
    if (hivex_node_set_value(HiveOf(hive_), node, &set, 0) != 0)
        return ERROR_CANTWRITE;
    changed_ = true;
    return ERROR_SUCCESS;
}

DWORD LoadedHive::Enum(size_t node, DWORD index, RegValue& value)
{
    hive_value_h* values = hivex_node_values(HiveOf(hive_), node);
    if (!values)
        return ERROR_BADDB;
    DWORD count = 0;
    while (values[count] != 0)
        ++count;
    DWORD error = ERROR_NO_MORE_ITEMS;
    if (index < count)
        error = ValueAt(HiveOf(hive_), values[index], value) ? ERROR_SUCCESS : ERROR_BADDB;
    std::free(values);
    return error;
}

DWORD LoadedHive::Commit()
{
    if (!changed_)
        return ERROR_SUCCESS;
    if (hivex_commit(HiveOf(hive_), nullptr, 0) != 0)
        return ERROR_CANTWRITE;
    std::string bytes;
    if (ReadHostFile(temp_, bytes) != ERROR_SUCCESS)
        return ERROR_CANTWRITE;
    return WriteWin32File(file_, bytes);
}

} // namespace ks_platform
