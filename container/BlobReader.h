// Reads one stored blob of an image file and turns it back into its raw bytes.
#pragma once

#include <cstdint>

#include "BlobCodec.h"
#include "CofranBuffer.h"
#include "CofranFile.h"

// Reads storedSize bytes at file position pos and decodes them into rawSize bytes.
// A raw size of 0 gives an empty result. Kinds: 0x106 failed read, 0x00C short read
// or sizes that cannot belong to a blob, 0x008 out of memory, and the codec's.
unsigned long ReadBlobAt(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings, KSBlobGroup group,
                         uint64_t pos, uint32_t rawSize, uint32_t storedSize, CofranBuffer<unsigned char>& out);
