#include "IcoWriter.h"

#include "LittleEndian.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

namespace {

// Decodes icon bytes with the system's own icon loader.
GdkPixbuf* Decode(const std::vector<uint8_t>& bytes)
{
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("ico", nullptr);
    if (!loader)
        return nullptr;
    gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr);
    gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    if (pixbuf)
        g_object_ref(pixbuf);
    g_object_unref(loader);
    return pixbuf;
}

TEST(IcoWriter, HeaderRecordsAreByteExact)
{
    std::vector<uint8_t> pixels(16 * 16 * 4, 0xFF);
    const std::vector<uint8_t> file = EncodeIco(pixels.data(), 16, 16, 64);
    ASSERT_EQ(file.size(), 6u + 16u + 40u + 1024u + 64u);
    EXPECT_EQ(LoadLE16(&file[0]), 0);
    EXPECT_EQ(LoadLE16(&file[2]), 1);
    EXPECT_EQ(LoadLE16(&file[4]), 1);
    EXPECT_EQ(file[6], 16);
    EXPECT_EQ(file[7], 16);
    EXPECT_EQ(LoadLE16(&file[10]), 1);
    EXPECT_EQ(LoadLE16(&file[12]), 32);
    EXPECT_EQ(LoadLE32(&file[14]), 40u + 1024u + 64u);
    EXPECT_EQ(LoadLE32(&file[18]), 22u);
    EXPECT_EQ(LoadLE32(&file[22]), 40u);
    EXPECT_EQ(LoadLE32(&file[26]), 16u);
    EXPECT_EQ(LoadLE32(&file[30]), 32u); // colour rows and mask rows
    EXPECT_EQ(LoadLE16(&file[36]), 32);
}

TEST(IcoWriter, RoundTripsThroughTheIconLoader)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 1, 0, 0, 1);
    cairo_rectangle(cr, 0, 0, 8, 16);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0, 0, 1, 1);
    cairo_rectangle(cr, 8, 0, 8, 4);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const std::vector<uint8_t> file = EncodeIco(cairo_image_surface_get_data(surface), 16, 16,
                                                cairo_image_surface_get_stride(surface));
    cairo_surface_destroy(surface);

    GdkPixbuf* icon = Decode(file);
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(gdk_pixbuf_get_width(icon), 16);
    ASSERT_EQ(gdk_pixbuf_get_height(icon), 16);
    ASSERT_TRUE(gdk_pixbuf_get_has_alpha(icon));
    auto at = [&](int x, int y) {
        const guchar* p = gdk_pixbuf_get_pixels(icon) + y * gdk_pixbuf_get_rowstride(icon) + 4 * x;
        return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    };
    EXPECT_EQ(at(0, 0), 0xFF0000FFu);   // red, opaque, top left
    EXPECT_EQ(at(7, 15), 0xFF0000FFu);
    EXPECT_EQ(at(12, 1), 0x0000FFFFu);  // blue band at the top: rows are not flipped
    EXPECT_EQ(at(12, 10) & 0xFF, 0u);   // transparent
    g_object_unref(icon);
}

TEST(IcoWriter, RefusesSizesAnIconCannotHold)
{
    std::vector<uint8_t> pixels(300 * 4, 0);
    EXPECT_TRUE(EncodeIco(pixels.data(), 0, 1, 4).empty());
    EXPECT_TRUE(EncodeIco(pixels.data(), 257, 1, 257 * 4).empty());
    EXPECT_TRUE(EncodeIco(pixels.data(), 4, 1, 8).empty()); // stride shorter than a row
    EXPECT_TRUE(EncodeIco(nullptr, 1, 1, 4).empty());
}

} // namespace
