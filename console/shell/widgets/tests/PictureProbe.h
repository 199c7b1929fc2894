// Checks that a picture of res/ is on screen at a place: every fully opaque pixel
// of the picture that falls inside the snapshot must be found there (within
// rounding); what lies past the snapshot's edge is clipped away on screen too.
#pragma once

#include "PixelSnapshot.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdlib>
#include <string>

inline bool PictureShownAt(const PixelSnapshot& screen, const char* path, int x0, int y0, std::string* why)
{
    GdkPixbuf* picture = gdk_pixbuf_new_from_file(path, nullptr);
    if (!picture) {
        *why = std::string("cannot read ") + path;
        return false;
    }
    const int channels = gdk_pixbuf_get_n_channels(picture);
    int opaque = 0;
    bool same = true;
    for (int y = 0; y < gdk_pixbuf_get_height(picture) && same; ++y) {
        for (int x = 0; x < gdk_pixbuf_get_width(picture) && same; ++x) {
            const guchar* p = gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) + x * channels;
            if (channels == 4 && p[3] != 255)
                continue;
            const uint32_t got = screen.At(x0 + x, y0 + y);
            if (got == PixelSnapshot::kOutside)
                continue;
            ++opaque;
            for (int c = 0; c < 3 && same; ++c) {
                if (std::abs(p[c] - static_cast<int>((got >> (16 - 8 * c)) & 0xFF)) > 2) {
                    *why = std::string(path) + " differs at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
                    same = false;
                }
            }
        }
    }
    g_object_unref(picture);
    if (same && opaque == 0) {
        *why = std::string(path) + " has no opaque pixel to look for";
        return false;
    }
    return same;
}
