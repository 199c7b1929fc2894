// Draws every picture of the console into the folder given on the command line.
#include "IcoWriter.h"
#include "PictureCatalog.h"

#include <cstdio>
#include <string>

// Fontconfig keeps its configuration for the life of the process on purpose.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

namespace {

bool Draw(const std::string& folder, const PictureEntry& picture)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height);
    cairo_t* cr = cairo_create(surface);
    picture.paint(cr, picture.width, picture.height);
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    const std::string path = folder + "/" + picture.name;
    const bool written = drawn && cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!written)
        std::fprintf(stderr, "cannot draw %s\n", path.c_str());
    return written;
}

bool DrawWindowIcon(const std::string& folder)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);
    cairo_t* cr = cairo_create(surface);
    PaintWindowIcon(cr, 16, 16);
    cairo_destroy(cr);
    const std::string path = folder + "/" + kWindowIconName;
    const bool written = WriteIcoFile(path, surface);
    cairo_surface_destroy(surface);
    if (!written)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    for (const PictureEntry& picture : PictureCatalog())
        ok = Draw(folder, picture) && ok;
    ok = DrawWindowIcon(folder) && ok;
    cairo_debug_reset_static_data();
    return ok ? 0 : 1;
}
