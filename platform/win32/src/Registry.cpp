#include "Registry.h"

#include "LoadedHive.h"

#include <algorithm>
#include <cctype>

namespace ks_platform {

std::string RegLower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

namespace {

std::vector<std::string> Components(const std::string& path)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('\\', begin);
        if (end == std::string::npos)
            end = path.size();
        if (end > begin)
            parts.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

bool SameName(const std::string& a, const std::string& b) { return RegLower(a) == RegLower(b); }

} // namespace

Registry& Registry::Instance()
{
    static Registry* registry = new Registry;
    return *registry;
}

std::shared_ptr<LoadedHive> Registry::HiveOf(const std::string& path, std::string& rest)
{
    const std::string lower = RegLower(path);
    for (auto& hive : hives_) {
        const std::string& root = hive.first;
        if (lower == root || (lower.size() > root.size() && lower.compare(0, root.size(), root) == 0 &&
                              lower[root.size()] == '\\')) {
            rest = path.substr(std::min(path.size(), root.size() + 1));
            return hive.second;
        }
    }
    return nullptr;
}

DWORD Registry::Open(const std::string& path, bool create, RegKeyRef& key, bool* created)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (created)
        *created = false;
    std::string rest;
    if (std::shared_ptr<LoadedHive> hive = HiveOf(path, rest)) {
        size_t node = hive->Root();
        for (const std::string& part : Components(rest)) {
            size_t child = hive->Child(node, part, false);
            if (child == 0 && create) {
                child = hive->Child(node, part, true);
                if (created && child != 0)
                    *created = true;
            }
            if (child == 0)
                return create ? ERROR_CANTWRITE : ERROR_FILE_NOT_FOUND;
            node = child;
        }
        key = RegKeyRef{RegLower(path), hive, node};
        return ERROR_SUCCESS;
    }
    // The live tree: every key on the way exists once its child does.
    const std::vector<std::string> parts = Components(path);
    std::string walked;
    for (const std::string& part : parts) {
        walked += (walked.empty() ? "" : "\\") + RegLower(part);
        if (live_.count(walked) == 0) {
            if (!create && walked.find('\\') != std::string::npos)
                return ERROR_FILE_NOT_FOUND;
            live_[walked];
            if (created && walked.find('\\') != std::string::npos)
                *created = true;
        }
    }
    key = RegKeyRef{walked, nullptr, 0};
    return ERROR_SUCCESS;
}

DWORD Registry::Query(const RegKeyRef& key, const std::string& name, RegValue& value)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (key.hive)
        return key.hive->Query(key.node, name, value);
    auto found = live_.find(key.path);
    if (found == live_.end())
        return ERROR_BADKEY;
    for (const RegValue& stored : found->second.values)
        if (SameName(stored.name, name)) {
            value = stored;
            return ERROR_SUCCESS;
        }
    return ERROR_FILE_NOT_FOUND;
}

DWORD Registry::Set(const RegKeyRef& key, const RegValue& value)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (key.hive)
        return key.hive->Set(key.node, value);
    auto found = live_.find(key.path);
    if (found == live_.end())
        return ERROR_BADKEY;
    for (RegValue& stored : found->second.values)
        if (SameName(stored.name, value.name)) {
            stored.type = value.type;
            stored.data = value.data;
            return ERROR_SUCCESS;
        }
    found->second.values.push_back(value);
    return ERROR_SUCCESS;
}

DWORD Registry::Delete(const RegKeyRef& key, const std::string& name)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (key.hive)
        return ERROR_ACCESS_DENIED;
    auto found = live_.find(key.path);
    if (found == live_.end())
        return ERROR_BADKEY;
    std::vector<RegValue>& values = found->second.values;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (SameName(it->name, name)) {
            values.erase(it);
            return ERROR_SUCCESS;
        }
    return ERROR_FILE_NOT_FOUND;
}

DWORD Registry::Enum(const RegKeyRef& key, DWORD index, RegValue& value)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (key.hive)
        return key.hive->Enum(key.node, index, value);
    auto found = live_.find(key.path);
    if (found == live_.end())
        return ERROR_BADKEY;
    if (index >= found->second.values.size())
        return ERROR_NO_MORE_ITEMS;
    value = found->second.values[index];
    return ERROR_SUCCESS;
}

DWORD Registry::Load(const std::string& path, const std::string& file)
{
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<LoadedHive> hive = LoadedHive::Load(file, error);
    if (!hive)
        return error;
    std::lock_guard<std::mutex> guard(lock_);
    const std::string lower = RegLower(path);
    if (hives_.count(lower) != 0 || live_.count(lower) != 0)
        return ERROR_ACCESS_DENIED;
    hives_[lower] = hive;
    return ERROR_SUCCESS;
}

DWORD Registry::Unload(const std::string& path)
{
    std::shared_ptr<LoadedHive> hive;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = hives_.find(RegLower(path));
        if (found == hives_.end())
            return ERROR_INVALID_PARAMETER;
        hive = found->second;
        // The key is gone whatever the write-back answers: a hive that could not be
        // written is dropped, and its file keeps what it held.
        hives_.erase(found);
    }
    return hive->Commit();
}

void Registry::Clear()
{
    std::lock_guard<std::mutex> guard(lock_);
    live_.clear();
    hives_.clear();
    handles_.clear();
}

HKEY Registry::AddHandle(const RegKeyRef& key)
{
    std::lock_guard<std::mutex> guard(lock_);
    const uintptr_t handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = key;
    return reinterpret_cast<HKEY>(handle);
}

bool Registry::FindHandle(HKEY handle, RegKeyRef& key)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end())
        return false;
    key = found->second;
    return true;
}

bool Registry::CloseHandle(HKEY handle)
{
    std::lock_guard<std::mutex> guard(lock_);
    return handles_.erase(reinterpret_cast<uintptr_t>(handle)) != 0;
}

} // namespace ks_platform
