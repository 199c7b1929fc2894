// A description paragraph painted into its area stays inside the area's width.
#include <gtest/gtest.h>

#include <cairo.h>

#include "WizardHead.h"

// Fontconfig keeps its caches for the life of the process on purpose.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libpangoft2\n";
}

namespace {

// The rightmost column with a dark pixel; -1 when there is none.
int RightmostInk(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    int rightmost = -1;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
            const unsigned char* p = data + y * stride + x * 4;
            if (p[0] < 128 && p[1] < 128 && p[2] < 128 && x > rightmost)
                rightmost = x;
        }
    return rightmost;
}

} // namespace

TEST(WizardTextPainting, AParagraphWrapsToItsAreaAndSaysHowHighItIs)
{
    const std::vector<std::string> lines = {
        "Restoring to a logical partition is recommended if the partition image does not",
        "contain an operating system that is booted from a primary partition. Data partitions",
        "can be restored as logical partitions.",
    };
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 600, 300);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    const int height = PaintWrappedText(cr, lines, 10, 10, 300);
    cairo_destroy(cr);
    const int right = RightmostInk(surface);
    cairo_surface_destroy(surface);
    EXPECT_GT(right, 100) << "the text is painted";
    EXPECT_LE(right, 10 + 300) << "no line runs past the area's width";
    EXPECT_GT(height, 3 * 12) << "wrapped onto more lines than it was given";
}

TEST(WizardTextPainting, TheHeadsTextsEndBeforeTheWizardsPicture)
{
    const int width = 640;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, 72);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    // No pictures: only the white texts are painted.
    const WizardHeadLook look{"/nonexistent/tile.png", 11, "/nonexistent/wizard.png"};
    PaintWizardHead(cr, width, look, "Select backup image to check",
                    "Please select the backup image you want to check in the following tree.");
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    int rightmostWhite = -1;
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = data + y * stride + x * 4;
            if (p[0] > 128 && p[1] > 128 && p[2] > 128 && x > rightmostWhite)
                rightmostWhite = x;
        }
    cairo_surface_destroy(surface);
    EXPECT_GT(rightmostWhite, 200) << "the texts are painted";
    EXPECT_LT(rightmostWhite, width - 100) << "the subtitle runs under the wizard's picture";
}
