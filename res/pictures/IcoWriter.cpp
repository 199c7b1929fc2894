#include "IcoWriter.h"

#include "LittleEndian.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kHeaderSize = 40;

void Put(LEWriter& out, const IcoDirectory& d)
{
    out.U16(d.reserved);
    out.U16(d.type);
    out.U16(d.count);
}

void Put(LEWriter& out, const IcoDirectoryEntry& e)
{
    out.U8(e.width);
    out.U8(e.height);
    out.U8(e.colourCount);
    out.U8(e.reserved);
    out.U16(e.planes);
    out.U16(e.bitCount);
    out.U32(e.bytesInResource);
    out.U32(e.imageOffset);
}

void Put(LEWriter& out, const IcoBitmapHeader& h)
{
    out.U32(h.size);
    out.U32(static_cast<uint32_t>(h.width));
    out.U32(static_cast<uint32_t>(h.height));
    out.U16(h.planes);
    out.U16(h.bitCount);
    out.U32(h.compression);
    out.U32(h.imageSize);
    out.U32(static_cast<uint32_t>(h.xPixelsPerMeter));
    out.U32(static_cast<uint32_t>(h.yPixelsPerMeter));
    out.U32(h.coloursUsed);
    out.U32(h.coloursImportant);
}

uint8_t Unpremultiply(uint32_t channel, uint32_t alpha)
{
    if (alpha == 0)
        return 0;
    const uint32_t value = (channel * 255 + alpha / 2) / alpha;
    return static_cast<uint8_t>(value > 255 ? 255 : value);
}

} // namespace

std::vector<uint8_t> EncodeIco(const uint8_t* argbRows, int width, int height, int stride)
{
    if (!argbRows || width < 1 || width > 256 || height < 1 || height > 256 || stride < 4 * width)
        return {};
    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    const size_t colourBytes = w * h * 4;
    const size_t maskStride = ((w + 31) / 32) * 4; // 1 bit a pixel, rows padded to 32 bits
    const size_t maskBytes = maskStride * h;
    const size_t imageBytes = kHeaderSize + colourBytes + maskBytes;

    std::vector<uint8_t> file(kDirectorySize + kEntrySize + imageBytes, 0);
    LEWriter out(file.data());
    Put(out, IcoDirectory{0, 1, 1});
    Put(out, IcoDirectoryEntry{static_cast<uint8_t>(width == 256 ? 0 : width),
                               static_cast<uint8_t>(height == 256 ? 0 : height), 0, 0, 1, 32,
                               static_cast<uint32_t>(imageBytes), static_cast<uint32_t>(kDirectorySize + kEntrySize)});
    Put(out, IcoBitmapHeader{static_cast<uint32_t>(kHeaderSize), width, 2 * height, 1, 32, 0,
                             static_cast<uint32_t>(colourBytes + maskBytes), 0, 0, 0, 0});

    uint8_t* colour = file.data() + kDirectorySize + kEntrySize + kHeaderSize;
    uint8_t* mask = colour + colourBytes;
    // Bitmap rows run from the bottom up; pixels are B, G, R, A, not premultiplied.
    for (size_t row = 0; row < h; ++row) {
        const uint8_t* source = argbRows + (h - 1 - row) * static_cast<size_t>(stride);
        for (size_t x = 0; x < w; ++x) {
            const uint32_t argb = LoadLE32(source + 4 * x); // cairo keeps native (little-endian) words
            const uint32_t a = argb >> 24;
            uint8_t* pixel = colour + (row * w + x) * 4;
            pixel[0] = Unpremultiply(argb & 0xFF, a);
            pixel[1] = Unpremultiply((argb >> 8) & 0xFF, a);
            pixel[2] = Unpremultiply((argb >> 16) & 0xFF, a);
            pixel[3] = static_cast<uint8_t>(a);
            if (a == 0)
                mask[row * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return file;
}

bool WriteIcoFile(const std::string& path, cairo_surface_t* surface)
{
    if (!surface || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return false;
    cairo_surface_flush(surface);
    const std::vector<uint8_t> bytes =
        EncodeIco(cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
                  cairo_image_surface_get_height(surface), cairo_image_surface_get_stride(surface));
    if (bytes.empty())
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
