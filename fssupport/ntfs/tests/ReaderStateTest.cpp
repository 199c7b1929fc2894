#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CVirtualDevice.h"
#include "KSFSSupport.h"
#include "NtfsResultCodes.h"

namespace {

struct ZeroVolume {
    unsigned long reads = 0;
    unsigned long failWith = 0;
};

unsigned long ReadZeros(void* context, unsigned long long, unsigned long count, void* buffer)
{
    ZeroVolume* v = static_cast<ZeroVolume*>(context);
    ++v->reads;
    if (v->failWith != 0)
        return v->failWith;
    std::memset(buffer, 0, count * 512ul);
    return 0;
}

unsigned long WriteNothing(void*, unsigned long long, unsigned long, void*, unsigned long)
{
    return 0;
}

IKSFSSupport* NewReader()
{
    void* object = nullptr;
    EXPECT_EQ(KSCreateObjectFsNt(1, 4, &object), 0u);
    return static_cast<IKSFSSupport*>(object);
}

TEST(ReaderState, EveryOperationBeforeInitialisationFails)
{
    IKSFSSupport* reader = NewReader();
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->GetFileSystem(), 255u);
    unsigned char buffer[512];
    unsigned long long first = 0;
    unsigned long count = 8;
    _KS_VOLUME volume;
    EXPECT_EQ(reader->ReadSectors(0, 1, buffer), 0x004C9005u);
    EXPECT_EQ(reader->GetBitMap(buffer, &first, &count), 0x008B9005u);
    EXPECT_EQ(reader->GetVolumeInfo(&volume), 0x009B9005u);
    EXPECT_EQ(reader->WalkThroughVolume(nullptr), 0x00A99005u);
    EXPECT_EQ(reader->WriteSpecialInfo(), 0x00BC9005u);
    EXPECT_EQ(reader->CheckFileSystem(), 0x025F9005u);
    EXPECT_EQ(reader->Release(), 0u);
}

TEST(ReaderState, InitialisationChecksItsArguments)
{
    IKSFSSupport* reader = NewReader();
    ZeroVolume v;
    EXPECT_EQ(reader->InitFileSystem(nullptr, WriteNothing, &v), 0x005E9009u);
    EXPECT_EQ(reader->InitFileSystem(ReadZeros, nullptr, &v), 0x005E9009u);
    EXPECT_EQ(reader->InitFileSystem(ReadZeros, WriteNothing, nullptr), 0x005E9009u);
    EXPECT_EQ(v.reads, 0u);
    reader->Release();
}

TEST(ReaderState, AVolumeThatIsNotNtfsLeavesTheReaderUninitialised)
{
    IKSFSSupport* reader = NewReader();
    ZeroVolume v;
    EXPECT_EQ(reader->InitFileSystem(ReadZeros, WriteNothing, &v), 0x006B9005u);
    EXPECT_EQ(reader->GetFileSystem(), 255u);
    unsigned char buffer[512];
    EXPECT_EQ(reader->ReadSectors(0, 1, buffer), 0x004C9005u) << "the callbacks were cleared";
    v.failWith = 0x12345001;
    EXPECT_EQ(reader->InitFileSystem(ReadZeros, WriteNothing, &v), 0x006B9005u) << "boot sector unreadable";
    reader->Release();
}

TEST(ReaderState, FactoryRefusesANullOutPointer)
{
    EXPECT_EQ(KSResultKind(KSCreateObjectFsNt(1, 4, nullptr)), 0x009u);
}

TEST(VirtualDevice, PassesReadsToTheCallbackOnly)
{
    ZeroVolume v;
    CVirtualDevice device(ReadZeros, &v);
    std::vector<unsigned char> buffer(1024, 0xFF);
    EXPECT_TRUE(device.Open());
    EXPECT_TRUE(device.ReadSector(buffer.data(), 3, 2));
    EXPECT_EQ(buffer[1023], 0);
    EXPECT_FALSE(device.ReadSector(buffer.data(), 0, 0));
    EXPECT_FALSE(device.ReadSector(buffer.data(), -1, 1));
    EXPECT_FALSE(device.ReadSector(buffer.data(), 0, 0x100000000ll)) << "a count the callback cannot take";
    EXPECT_EQ(v.reads, 1u);
    v.failWith = 0x00109005;
    EXPECT_FALSE(device.ReadSector(buffer.data(), 0, 1));
    EXPECT_FALSE(device.WriteSector(buffer.data(), 0, 1));
    CVirtualDevice noCallback(nullptr, &v);
    EXPECT_FALSE(noCallback.ReadSector(buffer.data(), 0, 1));
}

} // namespace
