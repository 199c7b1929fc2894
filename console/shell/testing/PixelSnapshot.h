// Pixels read back from the screen (or from a pixmap), for checks of what a
// widget really drew.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

class PixelSnapshot {
public:
    // The widget's allocation as it is on the screen now; coordinates relative to it.
    static PixelSnapshot OfWidget(GtkWidget* widget);
    // A rectangle of any drawable.
    static PixelSnapshot OfDrawable(GdkDrawable* drawable, int x, int y, int width, int height);

    PixelSnapshot(PixelSnapshot&& other) noexcept;
    PixelSnapshot& operator=(PixelSnapshot&&) = delete;
    PixelSnapshot(const PixelSnapshot&) = delete;
    ~PixelSnapshot();

    bool Valid() const { return pixbuf_ != nullptr; }
    int Width() const;
    int Height() const;
    // 0xRRGGBB; 0xFF000000 for a point outside the snapshot.
    uint32_t At(int x, int y) const;
    // How many pixels have exactly this colour.
    int Count(uint32_t rgb) const;
    // Writes a PNG beside the test, to look at when a check fails.
    void SaveForInspection(const char* path) const;

    static constexpr uint32_t kOutside = 0xFF000000u;

private:
    explicit PixelSnapshot(GdkPixbuf* pixbuf) : pixbuf_(pixbuf) {}
    GdkPixbuf* pixbuf_;
};
