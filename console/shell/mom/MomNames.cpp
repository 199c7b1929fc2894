// The loader's platform-independent half: calling a module's GetModule safely and
// the names built from a module name.
#include "MomNames.h"

#include <cstring>

#include "MomPtr.h"

namespace {

// Length of text when it is at most limit characters; limit + 1 when it is longer.
// Never reads past the character that decides.
unsigned long BoundedLength(const char* text, unsigned long limit)
{
    unsigned long n = 0;
    while (n <= limit && text[n] != '\0')
        ++n;
    return n;
}

// Writes prefix + name + suffix into out when name has at most kMomMaxModuleName
// characters and the whole fits in size bytes.
bool ComposeName(const char* prefix, const char* name, const char* suffix, char* out, unsigned long size)
{
    if (name == nullptr || out == nullptr)
        return false;
    const unsigned long length = BoundedLength(name, kMomMaxModuleName);
    const unsigned long before = std::strlen(prefix), after = std::strlen(suffix);
    if (length > kMomMaxModuleName || before + length + after + 1 > size)
        return false;
    std::memcpy(out, prefix, before);
    std::memcpy(out + before, name, length);
    std::memcpy(out + before + length, suffix, after + 1);
    return true;
}

} // namespace

IModule* CallGetModule(MomGetModuleFn fn, void* handle)
{
    if (fn == nullptr)
        return nullptr;
    try {
        return fn(handle);
    } catch (...) {
        return nullptr;
    }
}

bool MomModuleInterfaceName(const char* name, char* out, unsigned long size)
{
    return ComposeName("I", name, "Module", out, size);
}

bool MomModuleFileName(const char* name, char* file, unsigned long size)
{
    return ComposeName("", name, ".mo", file, size);
}
