#include <gtest/gtest.h>

#include <vector>

#include "CNtfsAttributeList.h"
#include "LittleEndian.h"

namespace {

std::vector<unsigned char> Entry(uint32_t type, const std::u16string& name, uint64_t vcn, uint64_t reference)
{
    const size_t length = (26 + name.size() * 2 + 7) / 8 * 8;
    std::vector<unsigned char> e(length, 0);
    StoreLE32(&e[0], type);
    StoreLE16(&e[4], static_cast<uint16_t>(length));
    e[6] = static_cast<unsigned char>(name.size());
    e[7] = 26;
    StoreLE64(&e[8], vcn);
    StoreLE64(&e[16], reference);
    for (size_t i = 0; i < name.size(); ++i)
        StoreLE16(&e[26 + 2 * i], name[i]);
    return e;
}

TEST(AttributeList, ParsesEntries)
{
    std::vector<unsigned char> data;
    for (const auto& e : {Entry(0x10, u"", 0, 0x0001000000000040ull), Entry(0x80, u"", 0, 0x0001000000000040ull),
                          Entry(0x80, u"", 0x120, 0x0002000000000044ull), Entry(0xA0, u"$I30", 0, 0x40)})
        data.insert(data.end(), e.begin(), e.end());
    CNtfsAttributeList list;
    ASSERT_TRUE(list.InitFromAttributeListData(data.data(), data.size()));
    ASSERT_EQ(list.GetEntryCount(), 4u);
    EXPECT_EQ(list.GetEntry(2).LowestVcn, 0x120);
    EXPECT_EQ(list.GetEntry(2).FileReference, 0x0002000000000044ull);
    EXPECT_EQ(list.GetEntry(3).Name, u"$I30");
}

TEST(AttributeList, RefusesDamagedEntries)
{
    const std::vector<unsigned char> good = Entry(0x80, u"AB", 0, 0x44);
    struct Case {
        const char* what;
        size_t offset;
        unsigned char value;
        size_t size;
    } cases[] = {
        {"entry length zero (would loop forever)", 4, 0, good.size()},
        {"entry length past the data", 4, 0x40, good.size()},
        {"name past the entry", 6, 20, good.size()},
        {"name inside the entry head", 7, 4, good.size()},
        {"data shorter than an entry head", 4, 32, 20},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> data = good;
        data[c.offset] = c.value;
        CNtfsAttributeList list;
        EXPECT_FALSE(list.InitFromAttributeListData(data.data(), c.size)) << c.what;
        EXPECT_EQ(list.GetEntryCount(), 0u) << c.what;
    }
}

} // namespace
