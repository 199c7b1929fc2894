// Reading and validating the head and the tail of one image file.
#pragma once

#include "CofranFile.h"
#include "KSImageFormat.h"

// Reads the head at position 0 and the tail from the file's last 192 bytes and
// checks, in this order: head magic and full read, tail magic and full read
// (kind 0x00C), format version (kind 0x003), head checksum, tail checksum (0x00C).
unsigned long ReadImageEnds(CofranFile& file, _KS_IMG_HEAD* head, _KS_IMG_TAIL* tail);

// Opens path read-only and reads its ends; the file stays open on success.
unsigned long OpenImageEnds(CofranFile& file, const wchar_t* path, _KS_IMG_HEAD* head, _KS_IMG_TAIL* tail);

// Encodes a head or tail with a fresh checksum.
void EncodeHead(_KS_IMG_HEAD& head, unsigned char out[KS_IMG_HEAD_SIZE]);
void EncodeTail(_KS_IMG_TAIL& tail, unsigned char out[KS_IMG_TAIL_SIZE]);

// Reads and checks only the head (magic, version, checksum): enough to recognise a
// file of a set that may still be being written.
bool ReadImageHead(const wchar_t* path, _KS_IMG_HEAD* head);
