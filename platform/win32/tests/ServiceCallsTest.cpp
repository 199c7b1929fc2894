// The service control manager over the in-memory service table.
#include "PlatformTestHelpers.h"

namespace {

class ServiceCallsTest : public PlatformTest {};

TEST_F(ServiceCallsTest, ARealMachineHasNoServices)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);
    SetLastError(0);
    EXPECT_EQ(OpenServiceA(manager, "zedskacs", SERVICE_ALL_ACCESS), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_TRUE(CloseServiceHandle(manager));
    EXPECT_EQ(KSPlatformOpenServiceHandles(), 0u);
}

TEST_F(ServiceCallsTest, OpeningTheManagerOrAServiceFails)
{
    KSPlatformAddService({"Known", SERVICE_STOPPED, ERROR_SUCCESS, ERROR_SUCCESS});
    SC_HANDLE manager = OpenSCManagerA("", "ServicesActive", SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);
    const struct {
        const char* what;
        std::function<bool()> fails;
        DWORD error;
    } cases[] = {
        {"another machine", [] { return !OpenSCManagerA("\\\\elsewhere", nullptr, SC_MANAGER_ALL_ACCESS); },
         RPC_S_SERVER_UNAVAILABLE},
        {"another database", [] { return !OpenSCManagerA(nullptr, "Old", SC_MANAGER_ALL_ACCESS); },
         ERROR_DATABASE_DOES_NOT_EXIST},
        {"no name", [&] { return !OpenServiceA(manager, nullptr, SERVICE_ALL_ACCESS); }, ERROR_INVALID_NAME},
        {"empty name", [&] { return !OpenServiceA(manager, "", SERVICE_ALL_ACCESS); }, ERROR_INVALID_NAME},
        {"not a manager",
         [&] {
             return !OpenServiceA(reinterpret_cast<SC_HANDLE>(reinterpret_cast<uintptr_t>(manager) + 4), "Known",
                                  SERVICE_ALL_ACCESS);
         },
         ERROR_INVALID_HANDLE},
        {"manager refused",
         [] {
             KSPlatformSetServiceManagerError(ERROR_ACCESS_DENIED);
             const bool failed = !OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
             KSPlatformSetServiceManagerError(ERROR_SUCCESS);
             return failed;
         },
         ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_TRUE(c.fails());
        EXPECT_EQ(GetLastError(), c.error);
    }
    SC_HANDLE service = OpenServiceA(manager, "KNOWN", SERVICE_ALL_ACCESS);
    EXPECT_NE(service, nullptr) << "names compare without regard to case";
    EXPECT_EQ(KSPlatformOpenServiceHandles(), 2u);
    EXPECT_TRUE(CloseServiceHandle(service));
    EXPECT_TRUE(CloseServiceHandle(manager));
    SetLastError(0);
    EXPECT_FALSE(CloseServiceHandle(manager));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ServiceCallsTest, StartAndStopFollowTheServicesState)
{
    KSPlatformAddService({"zedskacs", SERVICE_STOPPED, ERROR_SUCCESS, ERROR_SUCCESS});
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, "zedskacs", SERVICE_ALL_ACCESS);
    SC_HANDLE queryOnly = OpenServiceA(manager, "zedskacs", SERVICE_QUERY_STATUS);
    ASSERT_NE(service, nullptr);
    SERVICE_STATUS status{};

    const struct {
        const char* what;
        std::function<BOOL()> call;
        DWORD error; // ERROR_SUCCESS: the call succeeds
        DWORD state; // afterwards
    } steps[] = {
        {"stop while stopped", [&] { return ControlService(service, SERVICE_CONTROL_STOP, &status); },
         ERROR_SERVICE_NOT_ACTIVE, SERVICE_STOPPED},
        {"start", [&] { return StartServiceA(service, 0, nullptr); }, ERROR_SUCCESS, SERVICE_RUNNING},
        {"start again", [&] { return StartServiceA(service, 0, nullptr); }, ERROR_SERVICE_ALREADY_RUNNING,
         SERVICE_RUNNING},
        {"start without the right", [&] { return StartServiceA(queryOnly, 0, nullptr); }, ERROR_ACCESS_DENIED,
         SERVICE_RUNNING},
        {"interrogate", [&] { return ControlService(service, SERVICE_CONTROL_INTERROGATE, &status); }, ERROR_SUCCESS,
         SERVICE_RUNNING},
        {"pause", [&] { return ControlService(service, 2, &status); }, ERROR_INVALID_SERVICE_CONTROL, SERVICE_RUNNING},
        {"stop without a status", [&] { return ControlService(service, SERVICE_CONTROL_STOP, nullptr); },
         ERROR_INVALID_PARAMETER, SERVICE_RUNNING},
        {"stop", [&] { return ControlService(service, SERVICE_CONTROL_STOP, &status); }, ERROR_SUCCESS,
         SERVICE_STOPPED},
        {"start on a manager handle", [&] { return StartServiceA(manager, 0, nullptr); }, ERROR_INVALID_HANDLE,
         SERVICE_STOPPED},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        SetLastError(0);
        EXPECT_EQ(step.call() != FALSE, step.error == ERROR_SUCCESS);
        if (step.error != ERROR_SUCCESS) {
            EXPECT_EQ(GetLastError(), step.error);
        }
        SERVICE_STATUS now{};
        ASSERT_TRUE(QueryServiceStatus(queryOnly, &now));
        EXPECT_EQ(now.dwCurrentState, step.state);
    }
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED)) << "the stop reports the new state";
    KSServiceRecord record;
    ASSERT_TRUE(KSPlatformFindService("ZEDSKACS", record));
    EXPECT_EQ(record.starts, 2u);
    EXPECT_EQ(record.stops, 2u);
    for (SC_HANDLE handle : {queryOnly, service, manager})
        EXPECT_TRUE(CloseServiceHandle(handle));
}

TEST_F(ServiceCallsTest, AScriptedServiceRefusesWithItsErrors)
{
    KSPlatformAddService({"stubborn", SERVICE_STOPPED, ERROR_SERVICE_REQUEST_TIMEOUT, ERROR_SUCCESS});
    KSPlatformAddService({"sticky", SERVICE_RUNNING, ERROR_SUCCESS, ERROR_SERVICE_CANNOT_ACCEPT_CTRL});
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE stubborn = OpenServiceA(manager, "stubborn", SERVICE_ALL_ACCESS);
    SC_HANDLE sticky = OpenServiceA(manager, "sticky", SERVICE_ALL_ACCESS);
    SetLastError(0);
    EXPECT_FALSE(StartServiceA(stubborn, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_SERVICE_REQUEST_TIMEOUT);
    SERVICE_STATUS status;
    SetLastError(0);
    EXPECT_FALSE(ControlService(sticky, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));

    // A service removed while a handle to it is open answers as a missing one.
    KSPlatformClearServices();
    SetLastError(0);
    EXPECT_FALSE(StartServiceA(stubborn, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
    for (SC_HANDLE handle : {sticky, stubborn, manager})
        EXPECT_TRUE(CloseServiceHandle(handle));
}

} // namespace
