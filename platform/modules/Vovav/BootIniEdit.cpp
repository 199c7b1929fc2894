#include "BootIniEdit.h"

#include <cctype>
#include <cstdlib>

namespace {

// Matches the word (without regard to case) followed by "(digits)" at position at;
// the number and the position after ")" on success.
bool Term(const std::string& text, size_t at, const char* word, unsigned& number, size_t& after)
{
    size_t i = at;
    for (const char* w = word; *w; ++w, ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != *w)
            return false;
    if (i >= text.size() || text[i] != '(')
        return false;
    ++i;
    const size_t digits = i;
    unsigned long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - digits < 9)
        value = value * 10 + static_cast<unsigned long>(text[i++] - '0');
    if (i == digits || i >= text.size() || text[i] != ')')
        return false;
    number = static_cast<unsigned>(value);
    after = i + 1;
    return true;
}

} // namespace

unsigned RewriteArcPaths(std::string& text, const ArcPlace* from, const ArcPlace& to)
{
    unsigned rewritten = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        unsigned multi = 0, disk = 0, rdisk = 0, partition = 0;
        size_t next = at;
        if (!Term(text, next, "multi", multi, next) || !Term(text, next, "disk", disk, next))
            continue;
        const size_t rdiskAt = next;
        if (!Term(text, next, "rdisk", rdisk, next) || !Term(text, next, "partition", partition, next))
            continue;
        const bool named = from ? (rdisk == from->rdisk && partition == from->partition) : partition == to.partition;
        if (!named)
            continue;
        const std::string replacement =
            "rdisk(" + std::to_string(to.rdisk) + ")partition(" + std::to_string(to.partition) + ")";
        // The original spelling of "rdisk"/"partition" gives way to ours only where it changes.
        const std::string old = text.substr(rdiskAt, next - rdiskAt);
        if (rdisk != to.rdisk || partition != to.partition) {
            text.replace(rdiskAt, old.size(), replacement);
            ++rewritten;
            at = rdiskAt + replacement.size() - 1;
        } else
            at = next - 1;
    }
    return rewritten;
}
