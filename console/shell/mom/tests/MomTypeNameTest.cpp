// Interface keys from the compilers' type names.
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "MomPtr.h"
#include "TestGreeter.h"

namespace outer {
namespace inner {
class INested : public IObject {};
} // namespace inner
} // namespace outer

TEST(MomTypeName, KeysOfTheInterfaceTypes)
{
    EXPECT_STREQ(MomGetTypeNameT<ITestGreeter>(), "ITestGreeter");
    EXPECT_STREQ(MomGetTypeNameT<outer::inner::INested>(), "outer.inner.INested");
    EXPECT_EQ(MomGetTypeNameT<ITestGreeter>(), MomGetTypeNameT<ITestGreeter>()) << "one buffer per type";
    ITestGreeter* none = nullptr;
    EXPECT_EQ(MomGetInterfaceNameT(none), MomGetTypeNameT<ITestGreeter>());
}

TEST(MomTypeName, MangledNames)
{
    struct Case {
        const char* mangled;
        unsigned long size;
        const char* key;
        unsigned long result;
    };
    const Case cases[] = {
        {"15IPartitionEntry", 256, "IPartitionEntry", 0},
        {"N2ns3FooE", 256, "ns.Foo", 3},
        {"N1a1b1cE", 256, "a.b.c", 4},
        {"15IPartitionEntry", 16, "IPartitionEntry", 0},  // exactly fits: the last "." is the terminator
        {"15IPartitionEntry", 15, "", 0},                 // one short
        {"N2ns3FooE", 6, "", 0},                          // "ns.Foo." needs 7
        {"", 256, "", 0},
        {"N200abcE", 256, "", 0},                         // announces more than it has: no key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mangled);
        std::vector<char> out(c.size + 8, 'X');
        unsigned long size = c.size;
        const unsigned long result = MomGetTypeName_(c.mangled, out.data(), size);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(result, c.result);
        if (std::string(c.key).empty()) {
            EXPECT_EQ(out[0], '\0');
        } else {
            EXPECT_STREQ(out.data(), c.key);
        }
        for (size_t i = c.size; i < out.size(); ++i)
            ASSERT_EQ(out[i], 'X') << "wrote past the capacity at " << i;
    }
}

TEST(MomTypeName, RefusesMissingBuffers)
{
    char out[4] = "abc";
    unsigned long zero = 0;
    EXPECT_EQ(MomGetTypeName_("3Foo", out, zero), 0u);
    EXPECT_STREQ(out, "abc") << "a zero capacity writes nothing";
    unsigned long size = 4;
    EXPECT_EQ(MomGetTypeName_("3Foo", nullptr, size), 0u);
    EXPECT_EQ(MomGetTypeName_(nullptr, out, size), 0u);
}

TEST(MomTypeName, WindowsNames)
{
    struct Case {
        const char* name;
        unsigned long size;
        const char* key;
    };
    const Case cases[] = {
        {"class IPartitionEntry", 256, "IPartitionEntry"},
        {"struct IPartitionEntry", 256, "IPartitionEntry"},
        {"class outer::inner::INested", 256, "outer.inner.INested"},
        {"union U", 256, ""},
        {"cla", 256, ""},         // too short for the prefix: never read past the end
        {"IPartitionEntry", 256, ""},
        {"class IPartitionEntry", 15, ""},  // no room for the terminator
        {"class IPartitionEntry", 16, "IPartitionEntry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<char> out(c.size + 8, 'X');
        unsigned long size = c.size;
        MomGetWindowsTypeName_(c.name, out.data(), size);
        EXPECT_STREQ(out.data(), c.key);
        for (size_t i = c.size; i < out.size(); ++i)
            ASSERT_EQ(out[i], 'X') << "wrote past the capacity at " << i;
    }
    char out[32];
    unsigned long size = sizeof(out);
    EXPECT_EQ(MomGetWindowsTypeName_("class a::bc", out, size), 2u);
}

namespace {
class IRacedKey : public IObject {};
}

TEST(MomTypeName, KeyBufferIsFilledOnceUnderConcurrentFirstUse)
{
    std::vector<const char*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = MomGetTypeNameT<IRacedKey>(); });
    for (std::thread& t : threads)
        t.join();
    for (const char* key : seen) {
        EXPECT_EQ(key, seen[0]);
        EXPECT_STREQ(key, MomGetTypeNameT<IRacedKey>());
    }
    EXPECT_NE(std::string(seen[0]).find("IRacedKey"), std::string::npos);
}
