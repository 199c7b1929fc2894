// The fake kernel's objects: devices, request packets and the bus's registrations.
#pragma once

#include "WdkFake.h"

#include "KSPlatformControl.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

struct ZdPortDevice {
    enum Kind { Physical, Bus, Child } kind = Physical;
    void* context = nullptr;
    ZdPortDevice* lower = nullptr;     // the bus's device below
    bool initialising = true;
    int references = 0;
    uint32_t powerState = 0;
};

struct ZdPortIrp {
    uint8_t major = 0;
    uint8_t minor = 0;
    ZdStatus status = 0;               // the packet's status field (answers set it)
    uintptr_t information = 0;
    bool hasRelations = false;         // a relations list is in the packet
    std::vector<ZdPortDevice*> relations;
    std::u16string text;
    bool hasText = false;
    bool interfaceFilled = false;
    bool pending = false;
    bool passedDown = false;
    ZdScsi* srb = nullptr;             // the requester's block
    void* mdlBuffer = nullptr;         // the data the request's MDL describes; null: no MDL
    // Completion.
    std::mutex lock;
    std::condition_variable done;
    bool completed = false;
    ZdStatus completedStatus = 0;
    uintptr_t completedInformation = 0;
    int boost = 0;

    void Complete(ZdStatus s, uintptr_t info, int b)
    {
        std::lock_guard<std::mutex> guard(lock);
        status = s;
        information = info;
        completedStatus = s;
        completedInformation = info;
        boost = b;
        completed = true;
        done.notify_all();
    }
    void WaitCompleted()
    {
        std::unique_lock<std::mutex> guard(lock);
        done.wait(guard, [this] { return completed; });
    }
};

namespace wdk {

// The platform layer's "\\.\ZeDiskBus" follows the interface state.
void PublishBusInterface(ZdPortDevice* bus, bool enabled);
// The bus's interface in the platform layer's device installer, opened by its path
// (BusInterfaceRegistration.cpp).
void RegisterBusInterface(KSDeviceOpener opener);
void UnregisterBusInterface();
// Asked by the port, done by the manager's Settle.
void QueueInvalidate(ZdPortDevice* bus);
void QueueEject(ZdPortDevice* child);
// The bus device AddDevice made (null before and after).
void NoteBusDevice(ZdPortDevice* bus);
void BusPowerMapping(uint32_t mapping[7]);
// The security context of plug-in's caller: its identity.
std::string IdentityOf(ZdPortSecurity* security);

} // namespace wdk
