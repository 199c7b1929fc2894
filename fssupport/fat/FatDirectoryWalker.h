// Walks the directory tree of a FAT volume in memory. It removes the page and
// hibernation files of the root directory from the FAT, the directory and the
// used-cluster bitmap, and, when asked to enter subdirectories, hands their clusters
// to the write callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "ClusterBitmap.h"
#include "FatBootSector.h"
#include "FatChainVerdicts.h"
#include "FatTable.h"

class FatDirectoryWalker {
public:
    // Sector transfers of the reader: (first sector, count, buffer) -> result code.
    using ReadFn = std::function<unsigned long(uint64_t, unsigned long, void*)>;
    using WriteFn = std::function<unsigned long(uint64_t, unsigned long, void*)>;

    // A directory holds at most 65,536 entries of 32 bytes.
    static constexpr uint64_t kMaxDirectoryBytes = 65536ull * 32;
    // Deeper trees are taken as damaged; the walk never runs out of stack.
    static constexpr unsigned kMaxDepth = 256;

    FatDirectoryWalker(const FatBootSector& boot, uint32_t clusterCount, FatTable& fat, ClusterBitmap& bitmap,
                       ReadFn read, WriteFn writeDirectory, bool enterSubdirectories);

    // Walks entryCount entries of the root directory held in entries (changed in
    // place); rootClusters are the clusters that hold it (none for a fixed root).
    unsigned long WalkRoot(unsigned char* entries, size_t entryCount, const std::vector<uint32_t>& rootClusters);
    // The clusters (at most kMaxDirectoryBytes of them) of the FAT32 root chain.
    std::vector<uint32_t> RootChainClusters() const;
    // Reads or hands out the given clusters, in runs of neighbouring clusters.
    unsigned long ReadClusters(const std::vector<uint32_t>& clusters, unsigned char* buffer) const;
    unsigned long WriteClusters(const std::vector<uint32_t>& clusters, unsigned char* buffer) const;

    // Clusters freed by removing the page and hibernation files.
    uint64_t FreedClusters() const { return freedClusters_; }

    uint64_t ClusterBytes() const { return static_cast<uint64_t>(boot_.SectorsPerCluster()) * 512; }
    uint64_t MaxDirectoryClusters() const { return (kMaxDirectoryBytes + ClusterBytes() - 1) / ClusterBytes(); }

private:
    unsigned long Walk(unsigned char* entries, size_t entryCount, const std::wstring& path, unsigned depth);
    unsigned long WalkSubdirectory(const unsigned char* entry, const std::wstring& path, unsigned depth);
    unsigned long RemoveSystemFile(unsigned char* entries, size_t index, size_t firstNameIndex);
    unsigned long TransferClusters(const std::vector<uint32_t>& clusters, unsigned char* buffer,
                                   const ReadFn& transfer) const;
    uint32_t StartCluster(const unsigned char* entry) const;

    const FatBootSector& boot_;
    uint32_t clusterCount_;
    FatTable& fat_;
    ClusterBitmap& bitmap_;
    ReadFn read_;
    WriteFn writeDirectory_;
    bool enterSubdirectories_;
    // Start clusters of the directories entered so far: a directory reached twice
    // means the tree loops.
    std::unordered_set<uint32_t> enteredDirectories_;
    // Verdicts on the chains of the files named like the page and hibernation files,
    // shared by all of them so that the walk stays linear however often the names
    // repeat.
    FatChainVerdicts systemFileChains_;
    uint64_t freedClusters_ = 0;
};
