// A small RGB image for pixel checks of the widget look, with no display needed.
#pragma once

#include <cairo.h>

#include <cstdint>

class ImageCanvas {
public:
    static constexpr uint32_t kBackground = 0x123456;

    ImageCanvas(int width, int height)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)), cr_(cairo_create(surface_))
    {
        cairo_set_source_rgb(cr_, 0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0);
        cairo_paint(cr_);
    }
    ~ImageCanvas()
    {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    cairo_t* Context() { return cr_; }
    int Width() const { return cairo_image_surface_get_width(surface_); }
    int Height() const { return cairo_image_surface_get_height(surface_); }

    // 0xRRGGBB of one pixel.
    uint32_t Pixel(int x, int y)
    {
        cairo_surface_flush(surface_);
        const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        uint32_t value = 0;
        __builtin_memcpy(&value, row + 4 * x, 4);
        return value & 0xFFFFFF;
    }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};
