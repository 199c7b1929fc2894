// The image selection page's rules for a chosen file and the texts it shows of it:
// which paths name an image set, the short name, the comment strip, and the date and
// size line.
#pragma once

#include <cstdint>
#include <string>

// True when the part from the last "." is exactly ".rvd", in any case.
bool HasImageExtension(const std::string& path);
// True when the path has a "." at all (a name without one is ignored, not refused).
bool HasAnyExtension(const std::string& path);

// The part after the last "/" and 44 tabs; empty when the path has no "/".
std::string ImageShortName(const std::string& path);

struct CommentStrip {
    std::string text;    // what the strip shows
    std::string tooltip; // the whole comment
};
// "  No comments." for an empty comment; else two spaces and the comment, cut to 48
// characters (30 when any byte is outside ASCII) with "..." after a cut.
CommentStrip MakeCommentStrip(const std::string& comment);

// "0.50" "MB" for 512 KiB; an empty file "0.00" "KB".
std::string ImageSizeNumber(int64_t bytes);
const char* ImageSizeUnit(int64_t bytes);
// "  Date: <date> Size: <size><unit>" and nine tabs.
std::string ImageDateSizeLine(const std::string& date, int64_t bytes);
