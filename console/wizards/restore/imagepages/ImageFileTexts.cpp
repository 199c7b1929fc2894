#include "ImageFileTexts.h"

#include <cstdio>
#include <strings.h>

bool HasAnyExtension(const std::string& path)
{
    return path.rfind('.') != std::string::npos;
}

bool HasImageExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = path.substr(dot);
    return extension.size() == 4 && strcasecmp(extension.c_str(), ".rvd") == 0;
}

std::string ImageShortName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return path.substr(slash + 1);
}

namespace {

// Characters of UTF-8 text: bytes that do not continue a character.
size_t CutAtCharacters(const std::string& text, size_t characters)
{
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (seen == characters)
            return i;
        ++seen;
    }
    return text.size();
}

} // namespace

CommentStrip MakeCommentStrip(const std::string& comment)
{
    if (comment.empty())
        return {"  No comments.", "  No comments."};
    bool ascii = true;
    for (unsigned char c : comment)
        ascii = ascii && c < 0x80;
    const size_t visible = ascii ? 48 : 30;
    const size_t cut = CutAtCharacters(comment, visible);
    std::string shown = comment.substr(0, cut);
    if (cut < comment.size())
        shown += "...";
    return {"  " + shown, comment};
}

std::string ImageSizeNumber(int64_t bytes)
{
    char text[64];
    if (bytes == 0)
        std::snprintf(text, sizeof(text), "%.2f", bytes / 1024.0);
    else
        std::snprintf(text, sizeof(text), "%.2f", bytes / 1048576.0);
    return text;
}

const char* ImageSizeUnit(int64_t bytes)
{
    return bytes == 0 ? "KB" : "MB";
}

std::string ImageDateSizeLine(const std::string& date, int64_t bytes)
{
    return "  Date: " + date + " Size: " + ImageSizeNumber(bytes) + ImageSizeUnit(bytes);
}
