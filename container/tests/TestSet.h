// Helpers for the container's tests: a scratch folder, deterministic data, an
// object made by the factory, and an independent decoder of image files that
// checks what the writer put on disk without going through the container.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IKSCofran.h"

class AesCipher;

// A fresh folder per test, removed with its files afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& Path() const { return path_; } // ends with "/"
    std::wstring WPath(const std::string& name = std::string()) const;

private:
    std::string path_;
};

std::wstring Widen(const std::string& s);

// Deterministic bytes: random (incompressible) or a repeating pattern.
std::vector<unsigned char> RandomBytes(size_t size, uint32_t seed);
std::vector<unsigned char> PatternBytes(size_t size, uint32_t seed);

// Releases the object when the test ends.
struct CofranPtr {
    IKSCofran* p = nullptr;
    CofranPtr();
    ~CofranPtr();
    IKSCofran* operator->() const { return p; }
};

// A FAT16-like volume record: 512-byte sectors, reserved 4, 2 FATs of 8 sectors,
// 32 root-directory sectors, 63 pre-volume sectors.
_KS_VOLUME FatVolume(uint16_t sectorsPerCluster = 8, uint64_t totalSectors = 1u << 20);
// An NTFS-like record: no system area, no pre-volume sectors.
_KS_VOLUME NtfsVolume(uint16_t sectorsPerCluster, uint64_t totalSectors = 1u << 22);

// Kind of a result code.
inline unsigned long Kind(unsigned long rc) { return rc & 0xFFF; }

// One image file read back byte for byte.
struct InspectedFile {
    std::vector<unsigned char> bytes;
    _KS_IMG_HEAD head;
    _KS_IMG_TAIL tail;
    bool headSumOk = false;
    bool tailSumOk = false;
    bool hasTail = false;

    // File position of a stream offset held in this file.
    uint64_t FilePos(uint64_t streamOffset) const { return streamOffset - head.Base + tail.DataStart; }
    // The blob rule, done here independently of the container: decrypt when the
    // group's encrypt bit is set, inflate when its compress bit is set and the
    // stored size is below the raw size. cipher may be null for plain sets.
    std::vector<unsigned char> Blob(KSBlobGroup group, uint64_t filePos, uint32_t raw, uint32_t stored,
                                    AesCipher* cipher = nullptr) const;
};
InspectedFile Inspect(const std::wstring& path);
InspectedFile Inspect(const std::string& path);

uint64_t TestCrc64(const void* data, size_t size);

// A plain writer session: OpenCofran(use 2) on path, BeginBackup(path).
unsigned long StartSet(IKSCofran* c, const std::wstring& path, unsigned long level = 6,
                       unsigned long splitMiB = 0, unsigned long beginMode = 0, const wchar_t* password = nullptr);
