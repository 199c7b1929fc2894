#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CIndexNodeScanner.h"
#include "LittleEndian.h"

namespace {

// An index node as in an index block: 24 bytes of block head, then the node head,
// then entries (each with a $FILE_NAME key) and an end entry.
class NodeBuilder {
public:
    NodeBuilder& Entry(const std::u16string& name, uint64_t reference)
    {
        const size_t keyLength = 66 + 2 * name.size();
        const size_t length = (16 + keyLength + 7) / 8 * 8;
        std::vector<unsigned char> e(length, 0);
        StoreLE64(&e[0], reference);
        StoreLE16(&e[8], static_cast<uint16_t>(length));
        StoreLE16(&e[10], static_cast<uint16_t>(keyLength));
        StoreLE64(&e[16], 0x0005000000000005ull); // parent: the root directory
        e[16 + 64] = static_cast<unsigned char>(name.size());
        e[16 + 65] = 1;
        for (size_t i = 0; i < name.size(); ++i)
            StoreLE16(&e[16 + 66 + 2 * i], name[i]);
        entries_.push_back(e);
        return *this;
    }

    // The node; offsets[i] is where entry i begins in it.
    std::vector<unsigned char> Build(std::vector<size_t>* offsets = nullptr) const
    {
        std::vector<unsigned char> b(24 + 16, 0);
        for (const auto& e : entries_) {
            if (offsets)
                offsets->push_back(b.size());
            b.insert(b.end(), e.begin(), e.end());
        }
        std::vector<unsigned char> end(16, 0);
        StoreLE16(&end[8], 16);
        StoreLE16(&end[12], 2);
        b.insert(b.end(), end.begin(), end.end());
        StoreLE32(&b[24], 16);
        StoreLE32(&b[28], static_cast<uint32_t>(b.size() - 24));
        StoreLE32(&b[32], static_cast<uint32_t>(b.size() - 24));
        b.resize(b.size() + 40, 0xEE); // slack after the used part is never read
        return b;
    }

private:
    std::vector<std::vector<unsigned char>> entries_;
};

std::vector<uint64_t> Scan(const std::vector<unsigned char>& node, const std::u16string& name, bool* ok = nullptr)
{
    std::vector<uint64_t> matches;
    const bool result = CIndexNodeScanner::Scan(node.data(), node.size(), 24, name, matches);
    if (ok)
        *ok = result;
    return matches;
}

TEST(IndexNodeScanner, FindsEveryEntryUpToTheLast)
{
    NodeBuilder b;
    b.Entry(u"AAA.TXT", 0x40).Entry(u"hiberfil.sys", 0x0003000000000041ull).Entry(u"ZZZ.TXT", 0x42);
    const std::vector<unsigned char> node = b.Build();
    EXPECT_EQ(Scan(node, u"AAA.TXT"), std::vector<uint64_t>{0x40});
    EXPECT_EQ(Scan(node, u"HIBERFIL.SYS"), std::vector<uint64_t>{0x0003000000000041ull});
    // The last entry before the end entry is seen as well.
    EXPECT_EQ(Scan(node, u"ZZZ.TXT"), std::vector<uint64_t>{0x42});
    bool ok = false;
    EXPECT_TRUE(Scan(node, u"NOPE.TXT", &ok).empty());
    EXPECT_TRUE(ok);
}

TEST(IndexNodeScanner, NameMatchFoldsOnlyLetters)
{
    struct Case {
        std::u16string entry;
        std::u16string wanted;
        bool equal;
    } cases[] = {
        {u"pagefile.sys", u"PAGEFILE.SYS", true},
        {u"PageFile.Sys", u"PAGEFILE.SYS", true},
        {u"PAGEFILENSYS", u"PAGEFILE.SYS", false}, // '.' + 32 is 'N'
        {u"pagefilensys", u"PAGEFILE.SYS", false},
        {u"A\u0001", u"A!", false},                 // '!' - 32
        {u"file@1", u"FILE`1", false},              // '@' + 32 is '`'
        {u"PAGEFILE.SY", u"PAGEFILE.SYS", false},
        {u"PAGEFILE.SYSX", u"PAGEFILE.SYS", false},
        {u"\u00e9", u"\u00c9", false},              // only A-Z fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CIndexNodeScanner::NamesEqual(c.entry.data(), c.entry.size(), c.wanted), c.equal)
            << std::string(c.entry.begin(), c.entry.end());
    }
}

TEST(IndexNodeScanner, RefusesDamagedNodesAndEntries)
{
    NodeBuilder b;
    b.Entry(u"AAA.TXT", 0x40).Entry(u"pagefile.sys", 0x41);
    std::vector<size_t> at;
    const std::vector<unsigned char> good = b.Build(&at);
    const size_t second = at[1];
    struct Case {
        const char* what;
        size_t offset;
        int width;
        uint32_t value;
    } cases[] = {
        {"entry length zero (would loop forever)", second + 8, 2, 0},
        {"entry length past the node's used bytes", second + 8, 2, 0x400},
        {"key longer than the entry", second + 10, 2, 0x100},
        {"key too short for a file name", second + 10, 2, 20},
        {"name longer than the key", second + 16 + 64, 1, 40},
        {"used bytes past the buffer", 28, 4, 0x1000},
        {"entries start past the used bytes", 24, 4, 0x800},
        {"entries start inside the node head", 24, 4, 4},
        {"used bytes end before the end entry", 28, 4, static_cast<uint32_t>(second + 20 - 24)},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> node = good;
        if (c.width == 1)
            node[c.offset] = static_cast<unsigned char>(c.value);
        else if (c.width == 2)
            StoreLE16(&node[c.offset], static_cast<uint16_t>(c.value));
        else
            StoreLE32(&node[c.offset], c.value);
        bool ok = true;
        Scan(node, u"PAGEFILE.SYS", &ok);
        EXPECT_FALSE(ok) << c.what;
    }
    std::vector<uint64_t> matches;
    EXPECT_FALSE(CIndexNodeScanner::Scan(good.data(), 30, 24, u"X", matches)) << "node head cut off";
}

} // namespace
