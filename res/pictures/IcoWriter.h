// Windows icon files (.ico) with one 32-bit image: what the console's window icon
// "../res/main16.ico" is.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The on-disk records, byte for byte.
struct IcoDirectory {
    uint16_t reserved; // 0
    uint16_t type;     // 1 for icons
    uint16_t count;
};
static_assert(sizeof(IcoDirectory) == 6, "ICO directory size");

struct IcoDirectoryEntry {
    uint8_t width;  // 0 stands for 256
    uint8_t height; // 0 stands for 256
    uint8_t colourCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInResource;
    uint32_t imageOffset;
};
static_assert(sizeof(IcoDirectoryEntry) == 16, "ICO directory entry size");
static_assert(offsetof(IcoDirectoryEntry, planes) == 4 && offsetof(IcoDirectoryEntry, bytesInResource) == 8 &&
                  offsetof(IcoDirectoryEntry, imageOffset) == 12,
              "ICO directory entry layout");

struct IcoBitmapHeader {
    uint32_t size; // 40
    int32_t width;
    int32_t height; // twice the image height: colour rows and mask rows
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t imageSize;
    int32_t xPixelsPerMeter;
    int32_t yPixelsPerMeter;
    uint32_t coloursUsed;
    uint32_t coloursImportant;
};
static_assert(sizeof(IcoBitmapHeader) == 40, "bitmap header size");
static_assert(offsetof(IcoBitmapHeader, planes) == 12 && offsetof(IcoBitmapHeader, imageSize) == 20 &&
                  offsetof(IcoBitmapHeader, coloursImportant) == 36,
              "bitmap header layout");

// Encodes one image given as cairo's premultiplied ARGB32 rows (1 to 256 pixels a
// side). Empty when the size is out of range.
std::vector<uint8_t> EncodeIco(const uint8_t* argbRows, int width, int height, int stride);
// Writes an ARGB32 image surface as an icon file.
bool WriteIcoFile(const std::string& path, cairo_surface_t* surface);
