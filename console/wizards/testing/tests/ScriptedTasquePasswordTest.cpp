// The scripted command object takes a password as both engines do: its length in
// bytes (characters x sizeof(wchar_t)), only that many read.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CScriptedTasque.h"

TEST(ScriptedTasquePassword, BothGroupsAcceptTheScriptedTextWithItsLengthInBytes)
{
    const unsigned long c = sizeof(wchar_t);
    const struct Case {
        const char* what;
        std::wstring given;
        unsigned long bytes;
        unsigned long answer;
        std::wstring seen;
    } cases[] = {
        {"the text in bytes", L"secret", 6 * c, 1, L"secret"},
        {"the length in characters", L"secret", 6, 0, L"s"},
        {"one character short", L"secret", 5 * c, 0, L"secre"},
        {"the terminator counted", L"secret", 7 * c, 0, L"secret"},
        {"a wrong text", L"secreT", 6 * c, 0, L"secreT"},
    };
    const std::function<unsigned long(CScriptedTasque&, wchar_t*, unsigned long)> groups[] = {
        [](CScriptedTasque& t, wchar_t* p, unsigned long b) { return t.CheckSetPassword(p, b); },
        [](CScriptedTasque& t, wchar_t* p, unsigned long b) { return t.RestoreSetPassword(p, b); },
    };
    for (const auto& send : groups)
        for (const Case& k : cases) {
            CScriptedTasque tasque;
            tasque.password = L"secret";
            std::wstring text = k.given;
            EXPECT_EQ(k.answer, send(tasque, &text[0], k.bytes)) << k.what;
            ASSERT_EQ(1u, tasque.Calls().size()) << k.what;
            EXPECT_EQ(k.seen, tasque.Calls()[0].text) << k.what;
            EXPECT_EQ(k.bytes, tasque.Calls()[0].numbers[0]) << k.what;
        }
}
