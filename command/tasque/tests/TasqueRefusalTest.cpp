// Missing arguments are refused with their exact codes before anything is sent.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "CTasque.h"
#include "RecordingOrdwell.h"

namespace {

template <class T = void>
T* Some()
{
    static char cell[8];
    return reinterpret_cast<T*>(cell);
}

struct RefusalCase {
    const char* name;
    unsigned long code;
    std::function<unsigned long(ITasque&)> call;
};

TEST(TasqueRefusal, NullArgumentsAreRefusedWithoutSending)
{
    const RefusalCase cases[] = {
        {"RestoreSetImgInfo both", 0x01B87009, [](ITasque& t) { return t.RestoreSetImgInfo(nullptr, nullptr); }},
        {"RestoreGetImageVersions count",
         0x01D67009, [](ITasque& t) { return t.RestoreGetImageVersions(nullptr, 0, nullptr, Some<wchar_t>()); }},
        {"RestoreGetImageVersions path",
         0x01D67009, [](ITasque& t) { return t.RestoreGetImageVersions(nullptr, 0, Some<unsigned long>(), nullptr); }},
        {"RestoreGetImgVolumes both",
         0x02027009, [](ITasque& t) { return t.RestoreGetImgVolumes(nullptr, 0, nullptr, Some<_KS_VERSION>()); }},
        {"RestoreGetVerComment length",
         0x022E7009, [](ITasque& t) { return t.RestoreGetVerComment(nullptr, 0, nullptr, Some<_KS_VERSION>()); }},
        {"RestoreGetVerComment version",
         0x022E7009, [](ITasque& t) { return t.RestoreGetVerComment(nullptr, 0, Some<unsigned long>(), nullptr); }},
        {"AddRestore source", 0x029B7009, [](ITasque& t) { return t.AddRestore(nullptr, Some<_RESTORE_INFO>(), 0); }},
        {"AddRestore target", 0x029B7009, [](ITasque& t) { return t.AddRestore(Some<_KS_VOLUME>(), nullptr, 0); }},
        {"AddDiskRestore source",
         0x02587009, [](ITasque& t) { return t.AddDiskRestore(nullptr, Some<_RESTORE_INFO>(), 1); }},
        {"AddDiskRestore target",
         0x02587009, [](ITasque& t) { return t.AddDiskRestore(Some<_RESTORE_INFO>(), nullptr, 1); }},
        {"RestoreSetStringParam", 0x02807009, [](ITasque& t) { return t.RestoreSetStringParam(nullptr); }},
        {"RestoreSetCallBack", 0x02CE7009, [](ITasque& t) { return t.RestoreSetCallBack(nullptr, Some()); }},
        {"RestoreGetProgress", 0x02E97009, [](ITasque& t) { return t.RestoreGetProgress(nullptr); }},
        {"RestoreIsPwdProtect", 0x03127009, [](ITasque& t) { return t.RestoreIsPwdProtect(nullptr); }},
        {"RestoreSetPassword", 0x03317009, [](ITasque& t) { return t.RestoreSetPassword(nullptr, 4); }},
        {"CheckIsPwdProtect", 0x03597009, [](ITasque& t) { return t.CheckIsPwdProtect(nullptr); }},
        {"CheckSetPassword", 0x03787009, [](ITasque& t) { return t.CheckSetPassword(nullptr, 1); }},
        {"CheckSetImgInfo both", 0x038F7009, [](ITasque& t) { return t.CheckSetImgInfo(nullptr, nullptr); }},
        {"CheckGetImageVersions count",
         0x03AD7009, [](ITasque& t) { return t.CheckGetImageVersions(nullptr, 0, nullptr, Some<wchar_t>()); }},
        {"CheckGetImageVersions path",
         0x03AD7009, [](ITasque& t) { return t.CheckGetImageVersions(nullptr, 0, Some<int>(), nullptr); }},
        {"CheckGetImgVolumes count",
         0x03D97009, [](ITasque& t) { return t.CheckGetImgVolumes(Some<_KS_VOLUME>(), 1, nullptr, Some<_KS_VERSION>()); }},
        {"CheckGetImgVolumes version",
         0x03D97009, [](ITasque& t) { return t.CheckGetImgVolumes(Some<_KS_VOLUME>(), 1, Some<int>(), nullptr); }},
        {"CheckGetVerComment length",
         0x04057009, [](ITasque& t) { return t.CheckGetVerComment(nullptr, 0, nullptr, Some<_KS_VERSION>()); }},
        {"CheckGetVerComment version",
         0x04057009, [](ITasque& t) { return t.CheckGetVerComment(nullptr, 0, Some<int>(), nullptr); }},
        {"AddCheck", 0x042E7009, [](ITasque& t) { return t.AddCheck(nullptr); }},
        {"CheckSetPromptCall", 0x04547009, [](ITasque& t) { return t.CheckSetPromptCall(nullptr, Some()); }},
        {"CheckGetProgress", 0x046F7009, [](ITasque& t) { return t.CheckGetProgress(nullptr); }},
        {"FindPartition", 0x05217009, [](ITasque& t) { return t.FindPartition(0, 1, 2, nullptr); }},
        {"GetDiskItem", 0x053E7009, [](ITasque& t) { return t.GetDiskItem(0, nullptr); }},
    };
    auto executor = std::make_unique<RecordingOrdwell>();
    DriveThreeCensa censa;
    CTasque tasque(executor.get(), &censa);
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.code, c.call(tasque));
        EXPECT_TRUE(executor->commands.empty());
    }
    EXPECT_EQ(0, censa.pathQueries) << "a refused restore item is not translated either";
}

// The one-sided nulls that the operations accept are sent.
TEST(TasqueRefusal, HalfGivenArgumentsAreSent)
{
    auto executor = std::make_unique<RecordingOrdwell>();
    CTasque tasque(executor.get(), nullptr);
    EXPECT_EQ(0u, tasque.RestoreSetImgInfo(nullptr, Some<wchar_t>()));
    EXPECT_EQ(0u, tasque.RestoreSetImgInfo(Some<_KS_VERSION>(), nullptr));
    EXPECT_EQ(0u, tasque.RestoreGetImgVolumes(Some<_KS_VOLUME>(), 1, nullptr, nullptr));
    EXPECT_EQ(0u, tasque.RestoreGetImgVolumes(nullptr, 0, Some<unsigned long>(), nullptr));
    EXPECT_EQ(0u, tasque.CheckSetImgInfo(nullptr, Some<wchar_t>()));
    EXPECT_EQ(0u, tasque.CheckFileSystem(0, 0, 0, 0));
    EXPECT_EQ(6u, executor->commands.size());
}

} // namespace
