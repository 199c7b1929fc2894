// Init and the failures every listing operation shares: no module, no manager, no tree.
#include <KSPlatformControl.h>

#include "ScriptedVessmar.h"

namespace {

KSServiceRecord Service()
{
    KSServiceRecord record;
    EXPECT_TRUE(KSPlatformFindService("zedskacs", record));
    return record;
}

TEST_F(CensaScripted, InitReportsEachMissingLinkAndSucceedsOnceTheyAreThere)
{
    KSPlatformAddService({"zedskacs", SERVICE_STOPPED, ERROR_SUCCESS, ERROR_SUCCESS});
    Script().disks.push_back(OneDisk());

    Script().rootAnswers = false;
    EXPECT_TRUE(IsCensaKind(censa_.Init(), KS_ERR_NO_MODULE));
    Script().rootAnswers = true;
    Script().openGivesNull = true;
    EXPECT_TRUE(IsCensaKind(censa_.Init(), KS_ERR_REFRESH));
    EXPECT_EQ(Script().attachCalls, 0);
    Script().openGivesNull = false;
    EXPECT_EQ(censa_.Init(), 0u) << "a failed Init leaves the object ready to try again";
    EXPECT_EQ(Script().openCalls, 2);
    EXPECT_EQ(Script().attachCalls, 1);
    EXPECT_EQ(Service().state, static_cast<DWORD>(SERVICE_RUNNING));

    const FakeVessmarControl before = Script();
    const KSServiceRecord serviceBefore = Service();
    EXPECT_EQ(censa_.Init(), 0u);
    EXPECT_EQ(Script().getModuleCalls, before.getModuleCalls) << "a second Init does not open the module";
    EXPECT_EQ(Script().openCalls, before.openCalls);
    EXPECT_EQ(Script().attachCalls, before.attachCalls);
    EXPECT_EQ(Service().starts, serviceBefore.starts) << "nor start the service";
}

TEST_F(CensaScripted, InitSucceedsWithoutTheService)
{
    // A recovery system has no service at all: the start fails and is ignored.
    Script().disks.push_back(OneDisk());
    EXPECT_EQ(censa_.Init(), 0u);
    unsigned long long count = 0;
    EXPECT_EQ(censa_.GetDiskCount(&count), 0u);
    EXPECT_EQ(count, 1u);
}

TEST_F(CensaScripted, EveryListingOperationNamesTheMissingModuleOrManager)
{
    struct Operation {
        const char* name;
        unsigned long (*call)(CCensa&);
    };
    const Operation operations[] = {
        {"GetDiskCount", [](CCensa& c) { unsigned long long n = 0; return c.GetDiskCount(&n); }},
        {"GetDiskInfo", [](CCensa& c) { _KS_DISK_INFO d{}; return c.GetDiskInfo(0, &d); }},
        {"GetPartitionCount", [](CCensa& c) { unsigned long long n = 0; return c.GetPartitionCount(0, &n); }},
        {"GetPartitionInfo", [](CCensa& c) { _KS_PARTITION_INFO p{}; return c.GetPartitionInfo(0, 0, &p, nullptr); }},
    };
    Script().disks.push_back(OneDisk());
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        CCensa fresh;
        Script().rootAnswers = false;
        Script().noManager = false;
        EXPECT_TRUE(IsCensaKind(op.call(fresh), KS_ERR_NO_MODULE));
        EXPECT_EQ(fresh.GetDiskPath(0), "");
        Script().rootAnswers = true;
        Script().noManager = true;
        EXPECT_TRUE(IsCensaKind(op.call(fresh), KS_ERR_NO_MANAGER));
        EXPECT_EQ(fresh.GetDiskPath(0), "");
        Script().noManager = false;
        EXPECT_EQ(op.call(fresh), 0u);
    }
}

TEST_F(CensaScripted, MissingOutArgumentsAreRefusedNotWrittenThrough)
{
    Script().disks.push_back(OneDisk());
    EXPECT_EQ(KSResultKind(censa_.GetDiskCount(nullptr)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(censa_.GetDiskInfo(0, nullptr)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(censa_.GetPartitionCount(0, nullptr)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(censa_.GetPartitionInfo(0, 0, nullptr, nullptr)), KS_KIND_BAD_ARGUMENT);
}

} // namespace
