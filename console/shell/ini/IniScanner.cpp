#include "IniScanner.h"

namespace tamVoke {

bool IsIniBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

namespace {

// Scanner states; the numbers follow the order in which a well-formed file meets them.
enum State {
    kAfterOpenBracket = 0,  // after "["
    kInSectionName = 1,     // in a section name
    kBlanksInSection = 2,   // blanks inside a section name
    kInKey = 3,             // in a key
    kBlanksAfterKey = 4,    // blanks after a key
    kInValue = 5,           // in a value
    kAfterEquals = 6,       // after "=" and its blanks
    kBetweenEntries = 7,    // at the start of a line or after a header
};

// A value ends at a line feed or at the end of the text; a carriage return just
// before that end belongs to the line end, never to the value.
std::string ValueUpTo(const char* text, std::size_t start, std::size_t end)
{
    if (end > start && text[end - 1] == '\r')
        --end;
    return std::string(text + start, end - start);
}

} // namespace

void IniScanner::Scan(const char* text, std::size_t length, const Sink& sink)
{
    if (text == nullptr || length == 0)
        return;

    int state = kBetweenEntries;
    std::size_t start = 0; // where the current name or value began
    std::size_t end = 0;   // where a name ended before blanks
    std::string section;
    std::string key;

    for (std::size_t here = 0; here < length; ++here) {
        const unsigned char c = static_cast<unsigned char>(text[here]);
        if (c == '\n') {
            if (state == kInValue)
                sink(section, key, ValueUpTo(text, start, here));
            state = kBetweenEntries;
            continue;
        }
        const bool blank = IsIniBlank(c);
        switch (state) {
        case kBetweenEntries:
            if (c == '[') {
                state = kAfterOpenBracket;
            } else if (c == '=') {
                key.clear();
                end = start;
                state = kAfterEquals;
            } else if (!blank) {
                start = here;
                state = kInKey;
            }
            break;
        case kAfterOpenBracket:
            if (c == ']') {
                section.clear();
                state = kBetweenEntries;
            } else if (!blank) {
                start = here;
                state = kInSectionName;
            }
            break;
        case kInSectionName:
            if (c == ']') {
                section.assign(text + start, here - start);
                state = kBetweenEntries;
            } else if (blank) {
                end = here;
                state = kBlanksInSection;
            }
            break;
        case kBlanksInSection:
            if (c == ']') {
                section.assign(text + start, end - start);
                state = kBetweenEntries;
            } else if (!blank) {
                state = kInSectionName;
            }
            break;
        case kInKey:
            if (c == '=') {
                end = here;
                state = kAfterEquals;
            } else if (blank) {
                end = here;
                state = kBlanksAfterKey;
            }
            break;
        case kBlanksAfterKey:
            if (c == '=')
                state = kAfterEquals;
            else if (!blank)
                state = kInKey;
            break;
        case kAfterEquals:
            // Further "=" signs and ASCII blanks still belong to the separator.
            if (c == '=' || (c < 128 && blank))
                break;
            key.assign(text + start, end - start);
            start = here;
            state = kInValue;
            break;
        case kInValue:
        default:
            break;
        }
    }
    if (state == kInValue)
        sink(section, key, ValueUpTo(text, start, length));
}

} // namespace tamVoke
