// On Linux the store is read and written through the platform layer's volume files
// (the volume's own NTFS or FAT) and edited with libhivex in a temporary host copy.
#include "BcdStore.h"

#include <fcntl.h>
#include <hivex.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "KSPlatformVolumes.h"

namespace {

// A temporary host file holding the store, removed when done.
class TemporaryStore {
public:
    explicit TemporaryStore(const std::string& bytes)
    {
        const char* folder = std::getenv("TMPDIR");
        path_ = std::string(folder && *folder ? folder : "/tmp") + "/ks-bcd-XXXXXX";
        const int fd = ::mkstemp(&path_[0]);
        if (fd < 0) {
            path_.clear();
            return;
        }
        written_ = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
    }
    ~TemporaryStore()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryStore(const TemporaryStore&) = delete;
    TemporaryStore& operator=(const TemporaryStore&) = delete;

    bool Ready() const { return !path_.empty() && written_; }
    const std::string& Path() const { return path_; }
    bool Read(std::string& bytes) const
    {
        std::ifstream in(path_, std::ios::binary);
        if (!in)
            return false;
        std::ostringstream all;
        all << in.rdbuf();
        bytes = all.str();
        return true;
    }

private:
    std::string path_;
    bool written_ = false;
};

// Rewrites the device elements of one object; false when a value cannot be read or set.
bool RewriteObject(hive_h* hive, hive_node_h object, const BcdPartitionPlace& from, const BcdPartitionPlace& to,
                   unsigned& rewritten)
{
    const hive_node_h elements = hivex_node_get_child(hive, object, "Elements");
    if (elements == 0)
        return true;
    for (const char* name : kBcdDeviceElements) {
        const hive_node_h element = hivex_node_get_child(hive, elements, name);
        if (element == 0)
            continue;
        const hive_value_h value = hivex_node_get_value(hive, element, "Element");
        if (value == 0)
            continue;
        hive_type type = hive_t_none;
        size_t length = 0;
        char* raw = hivex_value_value(hive, value, &type, &length);
        if (raw == nullptr)
            return false;
        std::string data(raw, length);
        std::free(raw);
        if (type != hive_t_REG_BINARY || !RewriteBcdPartitionDevice(data, from, to))
            continue;
        hive_set_value set;
        std::string key = "Element";
        set.key = &key[0];
        set.t = hive_t_REG_BINARY;
        set.len = data.size();
        set.value = &data[0];
        if (hivex_node_set_value(hive, element, &set, 0) != 0)
            return false;
        ++rewritten;
    }
    return true;
}

bool RewriteObjects(hive_h* hive, const BcdPartitionPlace& from, const BcdPartitionPlace& to, unsigned& rewritten)
{
    const hive_node_h objects = hivex_node_get_child(hive, hivex_root(hive), "Objects");
    if (objects == 0)
        return false; // a store without objects is no store this can trust
    hive_node_h* children = hivex_node_children(hive, objects);
    if (children == nullptr)
        return false;
    bool ok = true;
    for (size_t i = 0; ok && children[i] != 0; ++i)
        ok = RewriteObject(hive, children[i], from, to, rewritten);
    std::free(children);
    return ok;
}

} // namespace

BcdStoreOutcome RewriteBcdStore(const std::string& root, const BcdPartitionPlace& from, const BcdPartitionPlace& to,
                                unsigned& rewritten)
{
    rewritten = 0;
    const std::string path = root + "\\Boot\\BCD";
    std::string bytes;
    const DWORD read = KSVolumeFileRead(path.c_str(), bytes);
    if (read == ERROR_FILE_NOT_FOUND || read == ERROR_PATH_NOT_FOUND)
        return BcdStoreOutcome::kMissing;
    if (read != ERROR_SUCCESS)
        return BcdStoreOutcome::kFailed;
    TemporaryStore copy(bytes);
    if (!copy.Ready())
        return BcdStoreOutcome::kFailed;
    hive_h* hive = hivex_open(copy.Path().c_str(), HIVEX_OPEN_WRITE);
    if (hive == nullptr)
        return BcdStoreOutcome::kFailed;
    bool ok = RewriteObjects(hive, from, to, rewritten);
    if (ok && rewritten != 0)
        ok = hivex_commit(hive, nullptr, 0) == 0;
    hivex_close(hive);
    if (!ok)
        return BcdStoreOutcome::kFailed;
    if (rewritten == 0)
        return BcdStoreOutcome::kRewritten;
    std::string edited;
    if (!copy.Read(edited) || KSVolumeFileWrite(path.c_str(), edited) != ERROR_SUCCESS)
        return BcdStoreOutcome::kFailed;
    return BcdStoreOutcome::kRewritten;
}

bool BcdStoreInUse(const std::string&)
{
    return false;
}
