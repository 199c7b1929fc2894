#include "PartitionCopy.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kCopyChunk = 1 << 20;

bool AllZero(const char* data, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

// The folder for the copy: TMPDIR when set, else /tmp.
std::string TemporaryPattern()
{
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr && folder[0] != '\0' ? folder : "/tmp") + "/tillory-XXXXXX";
}

} // namespace

PartitionCopy::~PartitionCopy()
{
    if (!path_.empty())
        unlink(path_.c_str());
}

bool PartitionCopy::Make(const std::string& source, uint64_t offset, uint64_t size)
{
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    std::string pattern = TemporaryPattern();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int out = mkstemp(name.data());
    if (out < 0) {
        close(in);
        return false;
    }
    path_ = name.data();
    std::vector<char> chunk(kCopyChunk);
    bool ok = ftruncate(out, static_cast<off_t>(size)) == 0;
    for (uint64_t done = 0; ok && done < size;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kCopyChunk, size - done));
        const ssize_t got = pread(in, chunk.data(), want, static_cast<off_t>(offset + done));
        if (got <= 0) {
            ok = false;
            break;
        }
        const size_t n = static_cast<size_t>(got);
        if (!AllZero(chunk.data(), n) &&
            pwrite(out, chunk.data(), n, static_cast<off_t>(done)) != static_cast<ssize_t>(n))
            ok = false;
        done += n;
    }
    close(in);
    if (close(out) != 0)
        ok = false;
    return ok;
}
