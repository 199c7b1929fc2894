#include "ResPicture.h"

bool PaintResPicture(cairo_t* cr, const char* path, double x, double y)
{
    if (!cr || !path)
        return false;
    cairo_surface_t* picture = cairo_image_surface_create_from_png(path);
    const bool readable = cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS;
    if (readable) {
        cairo_set_source_surface(cr, picture, x, y);
        cairo_paint(cr);
    }
    cairo_surface_destroy(picture);
    return readable;
}
