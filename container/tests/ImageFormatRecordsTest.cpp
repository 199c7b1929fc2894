// The codecs of the image set records put every field at its offset.
#include <gtest/gtest.h>

#include <cstring>

#include "KSImageFormat.h"

namespace {

TEST(ImageRecords, HeadAndTailFieldsSitAtTheirOffsets)
{
    _KS_IMG_HEAD h;
    std::memset(&h, 0, sizeof h);
    h.Magic = KS_IMG_MAGIC;
    h.HeadSize = 1256;
    h.Version = KS_IMG_VERSION;
    h.SetId[15] = 0xEE;
    h.Flags = 0xC07F;
    h.Level = 6;
    h.ModeBits = 0x20;
    h.CipherMode = 1;
    h.VersionIndex = 3;
    h.FileNumber = 7;
    h.Time = {2026, 12, 10, 14, 5, 59, 4};
    h.Base = 0x1122334455ull;
    h.NameNumber = 9;
    h.PasswordDigest[0] = 0xD5;
    h.PrevPath[259] = u'z';
    h.BaseName[0] = u'b';
    unsigned char b[KS_IMG_HEAD_SIZE];
    KSImgHeadToBytes(h, b);
    EXPECT_EQ(0, memcmp(b, "IMGF", 4));
    EXPECT_EQ(1256u, LoadLE32(b + 4));
    EXPECT_EQ(0xEE, b[31]);
    EXPECT_EQ(0xC07Fu, LoadLE32(b + 32));
    EXPECT_EQ(6, b[36]);
    EXPECT_EQ(0x20, b[37]);
    EXPECT_EQ(1, b[38]);
    EXPECT_EQ(3u, LoadLE32(b + 40));
    EXPECT_EQ(7u, LoadLE32(b + 44));
    EXPECT_EQ(2026, LoadLE16(b + 48));
    EXPECT_EQ(12, b[50]);
    EXPECT_EQ(59, b[54]);
    EXPECT_EQ(4, b[55]);
    EXPECT_EQ(0x1122334455ull, LoadLE64(b + 56));
    EXPECT_EQ(9u, LoadLE32(b + 64));
    EXPECT_EQ(0xD5, b[80]);
    EXPECT_EQ(u'z', LoadLE16(b + 224 + 2 * 259));
    EXPECT_EQ(u'b', LoadLE16(b + 744));
    _KS_IMG_HEAD back;
    KSImgHeadFromBytes(b, back);
    EXPECT_EQ(0, memcmp(&h, &back, sizeof h));

    // Byte sum with the checksum field taken as zero.
    uint32_t sum = 0;
    for (size_t i = 0; i < sizeof b; ++i)
        sum += b[i];
    EXPECT_EQ(sum, KSImgHeadChecksum(b));
    StoreLE32(b + 12, 0xFFFFFFFF);
    EXPECT_EQ(sum, KSImgHeadChecksum(b));

    _KS_IMG_TAIL t;
    std::memset(&t, 0, sizeof t);
    t.NameListPos = 0x72;
    KSSetTailVolumeListPos(t, 0x0102030405060708ull);
    t.LabelCount = 2;
    t.Base = 0xABCDEF;
    t.DataLength = 0x123456789ull;
    t.DataStart = 0x5000;
    t.EndState = -1;
    t.Flags = 0x1000;
    t.Magic = KS_IMG_MAGIC;
    unsigned char tb[KS_IMG_TAIL_SIZE];
    KSImgTailToBytes(t, tb);
    EXPECT_EQ(0x72u, LoadLE32(tb + 72));
    EXPECT_EQ(0x0102030405060708ull, LoadLE64(tb + 108));
    EXPECT_EQ(2u, LoadLE32(tb + 128));
    EXPECT_EQ(0xABCDEFull, LoadLE64(tb + 152));
    EXPECT_EQ(0x123456789ull, LoadLE64(tb + 160));
    EXPECT_EQ(0x5000u, LoadLE32(tb + 168));
    EXPECT_EQ(0xFFFFFFFFu, LoadLE32(tb + 172));
    EXPECT_EQ(0x1000u, LoadLE32(tb + 176));
    EXPECT_EQ(0, memcmp(tb + 188, "IMGF", 4));
    _KS_IMG_TAIL tback;
    KSImgTailFromBytes(tb, tback);
    EXPECT_EQ(0, memcmp(&t, &tback, sizeof t));
    EXPECT_EQ(0x0102030405060708ull, KSTailVolumeListPos(tback));
}

TEST(ImageRecords, ListAndIndexRecordsSitAtTheirOffsets)
{
    _KS_VERSION v{1, 2, 3, 0, 0xC000, 0xFFFFFFFF, 4, 0, {2026, 1, 2, 3, 4, 5, 6}};
    unsigned char vb[32];
    KSVersionToBytes(v, vb);
    EXPECT_EQ(2u, LoadLE32(vb + 4));
    EXPECT_EQ(3, LoadLE16(vb + 8));
    EXPECT_EQ(0xC000u, LoadLE32(vb + 12));
    EXPECT_EQ(0xFFFFFFFFu, LoadLE32(vb + 16));
    EXPECT_EQ(4, LoadLE16(vb + 20));
    EXPECT_EQ(2026, LoadLE16(vb + 24));

    _KS_CDINFO c;
    std::memset(&c, 0, sizeof c);
    c.Index = 1;
    c.FirstFile = 5;
    c.FileCount = 2;
    c.Label[63] = u'q';
    unsigned char cb[140];
    KSCdInfoToBytes(c, cb);
    EXPECT_EQ(5u, LoadLE32(cb + 4));
    EXPECT_EQ(2, LoadLE16(cb + 8));
    EXPECT_EQ(u'q', LoadLE16(cb + 12 + 126));

    _KS_IMGNAME_NO n{4, 5, 0x600000000ull};
    unsigned char nb[16];
    KSImgNameNoToBytes(n, nb);
    EXPECT_EQ(5u, LoadLE32(nb + 4));
    EXPECT_EQ(0x600000000ull, LoadLE64(nb + 8));

    _KS_RIND_HEAD r;
    std::memset(&r, 0, sizeof r);
    r.Magic = KS_RIND_MAGIC;
    r.HeadSize = 48;
    r.VolumeNumber = 2;
    r.ChunkKiB = 32;
    r.PreSectors = 63;
    r.PreOffset = 0x7777;
    r.PreStored = 0x888;
    r.PreCrc = 0xCAA717168609F281ull;
    r.FirstMaskedEntry = 76;
    unsigned char rb[48];
    KSRindHeadToBytes(r, rb);
    EXPECT_EQ(0, memcmp(rb, "RIND", 4));
    EXPECT_EQ(2, LoadLE16(rb + 8));
    EXPECT_EQ(32, LoadLE16(rb + 10));
    EXPECT_EQ(63u, LoadLE32(rb + 12));
    EXPECT_EQ(0x7777ull, LoadLE64(rb + 16));
    EXPECT_EQ(0x888u, LoadLE32(rb + 24));
    EXPECT_EQ(0xCAA717168609F281ull, LoadLE64(rb + 32));
    EXPECT_EQ(76u, LoadLE32(rb + 40));

    _KS_RIND_ENTRY e;
    std::memset(&e, 0, sizeof e);
    e.First = 10;
    e.Length = 20 | KS_RUN_DIRECT;
    KSSetRindEntryOffset(e, 0x1000000002ull);
    e.Stored = 300;
    KSSetRindEntryCrc(e, 0xFEDCBA9876543210ull);
    unsigned char eb[28];
    KSRindEntryToBytes(e, eb);
    EXPECT_EQ(0x40000014u, LoadLE32(eb + 4));
    EXPECT_EQ(0x1000000002ull, LoadLE64(eb + 8));
    EXPECT_EQ(300u, LoadLE32(eb + 16));
    EXPECT_EQ(0xFEDCBA9876543210ull, LoadLE64(eb + 20));

    _KS_BLOCK blk{7, 511u | (12345u << 10), 0x99, 0x1234};
    unsigned char bb[24];
    KSBlockToBytes(blk, bb);
    EXPECT_EQ(511u | (12345u << 10), LoadLE32(bb + 4));
    EXPECT_EQ(511u, KSBlockClusters(blk));
    EXPECT_EQ(12345u, KSBlockStored(blk));
    EXPECT_EQ(0x99ull, LoadLE64(bb + 8));
    EXPECT_EQ(0x1234ull, LoadLE64(bb + 16));

    _KS_INDX_HEAD ih{KS_INDX_MAGIC, 16, 16 + 24, 0};
    unsigned char ib[16];
    KSIndxHeadToBytes(ih, ib);
    EXPECT_EQ(0, memcmp(ib, "INDX", 4));
    EXPECT_EQ(40u, LoadLE32(ib + 8));
}

} // namespace
