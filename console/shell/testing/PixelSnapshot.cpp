#include "PixelSnapshot.h"

PixelSnapshot PixelSnapshot::OfDrawable(GdkDrawable* drawable, int x, int y, int width, int height)
{
    if (!drawable || width <= 0 || height <= 0)
        return PixelSnapshot(nullptr);
    return PixelSnapshot(gdk_pixbuf_get_from_drawable(nullptr, drawable, nullptr, x, y, 0, 0, width, height));
}

PixelSnapshot PixelSnapshot::OfWidget(GtkWidget* widget)
{
    GdkWindow* window = gtk_widget_get_window(widget);
    const GtkAllocation& a = widget->allocation;
    // A widget with a window of its own draws from that window's origin.
    const int x = gtk_widget_get_has_window(widget) ? 0 : a.x;
    const int y = gtk_widget_get_has_window(widget) ? 0 : a.y;
    return OfDrawable(window, x, y, a.width, a.height);
}

PixelSnapshot::PixelSnapshot(PixelSnapshot&& other) noexcept : pixbuf_(other.pixbuf_)
{
    other.pixbuf_ = nullptr;
}

PixelSnapshot::~PixelSnapshot()
{
    if (pixbuf_)
        g_object_unref(pixbuf_);
}

int PixelSnapshot::Width() const
{
    return pixbuf_ ? gdk_pixbuf_get_width(pixbuf_) : 0;
}

int PixelSnapshot::Height() const
{
    return pixbuf_ ? gdk_pixbuf_get_height(pixbuf_) : 0;
}

uint32_t PixelSnapshot::At(int x, int y) const
{
    if (!pixbuf_ || x < 0 || y < 0 || x >= Width() || y >= Height())
        return kOutside;
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf_) + y * gdk_pixbuf_get_rowstride(pixbuf_) +
                      x * gdk_pixbuf_get_n_channels(pixbuf_);
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

int PixelSnapshot::Count(uint32_t rgb) const
{
    int count = 0;
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x)
            count += At(x, y) == rgb ? 1 : 0;
    return count;
}

void PixelSnapshot::SaveForInspection(const char* path) const
{
    if (pixbuf_)
        gdk_pixbuf_save(pixbuf_, path, "png", nullptr, nullptr);
}
