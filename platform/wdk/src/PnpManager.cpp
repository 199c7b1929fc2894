// The fake Plug and Play manager: loads the driver and starts its bus, and on each
// re-enumeration asks the bus for its children, starts new ones (handing each to
// the disk stack, DiskStackHandoff.cpp) and removes the ones that went missing.
#include "DiskStackHandoff.h"
#include "FakeObjects.h"

#include "KSPlatformControl.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>

namespace wdk {

namespace {

enum : ZdStatus {
    PNP_STATUS_SUCCESS = 0,
    PNP_STATUS_PENDING = 0x103,
    PNP_STATUS_NOT_SUPPORTED = static_cast<ZdStatus>(0xC00000BB),
    PNP_STATUS_NO_SUCH_DEVICE = static_cast<ZdStatus>(0xC000000E),
};

struct WorkItem {
    bool eject;
    ZdPortDevice* device;
};

} // namespace

struct PnpManager::State {
    mutable std::mutex lock;   // guards the fields below, never held while the core runs
    ZdPortDevice* physical = nullptr;
    ZdPortDevice* bus = nullptr;
    std::map<uint32_t, ZdPortDevice*> children;
    std::deque<WorkItem> work;
    std::vector<PnpEvent> events;
    uint32_t mapping[7] = {0, 1, 4, 4, 4, 4, 4};
    bool interfaceEnabled = false;
    DiskStackHooks hooks;
    bool hooksSet = false;
    std::mutex settling;      // one Settle at a time
};

PnpManager& PnpManager::Instance()
{
    static PnpManager manager;
    return manager;
}

PnpManager::State& PnpManager::S() const
{
    static State state;
    return state;
}

void NoteBusDevice(ZdPortDevice* bus)
{
    PnpManager::State& s = PnpManager::Instance().S();
    std::lock_guard<std::mutex> guard(s.lock);
    s.bus = bus;
}

void BusPowerMapping(uint32_t mapping[7])
{
    PnpManager::State& s = PnpManager::Instance().S();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < 7; ++i)
        mapping[i] = s.mapping[i];
}

void QueueInvalidate(ZdPortDevice* bus)
{
    PnpManager::State& s = PnpManager::Instance().S();
    std::lock_guard<std::mutex> guard(s.lock);
    s.work.push_back(WorkItem{false, bus});
}

void QueueEject(ZdPortDevice* child)
{
    PnpManager::State& s = PnpManager::Instance().S();
    std::lock_guard<std::mutex> guard(s.lock);
    s.work.push_back(WorkItem{true, child});
}

namespace {

// The bus as the platform layer's "\\.\ZeDiskBus": its control codes reach the core.
class BusDeviceFile : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD&) override { return ERROR_INVALID_FUNCTION; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD&) override { return ERROR_INVALID_FUNCTION; }
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        uintptr_t information = 0;
        const ZdStatus status = PnpManager::Instance().BusControl(code, in, inSize, out, outSize, &information);
        returned = static_cast<DWORD>(information);
        return status >= 0 ? ERROR_SUCCESS : static_cast<DWORD>(ZdPortStatusToWin32(status));
    }
    uint64_t Size() const override { return 0; }
};

} // namespace

void PublishBusInterface(ZdPortDevice*, bool enabled)
{
    PnpManager::State& s = PnpManager::Instance().S();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.interfaceEnabled == enabled)
            return;
        s.interfaceEnabled = enabled;
    }
    if (enabled) {
        const KSDeviceOpener opener = [](DWORD, DWORD&) { return std::make_shared<BusDeviceFile>(); };
        KSPlatformRegisterDevice("ZeDiskBus", opener);
        RegisterBusInterface(opener);
    } else {
        KSPlatformUnregisterDevice("ZeDiskBus");
        UnregisterBusInterface();
    }
}

void SetDiskStackHooks(DiskStackHooks hooks)
{
    PnpManager::State& s = PnpManager::Instance().S();
    std::lock_guard<std::mutex> guard(s.lock);
    s.hooksSet = static_cast<bool>(hooks.arrived);
    s.hooks = std::move(hooks);
}

ZdScsi ScsiTransfer(uint8_t opcode, uint32_t sector, uint16_t count, void* buffer, uint32_t flags)
{
    ZdScsi srb{};
    srb.Length = 64;
    srb.Function = 0;
    srb.CdbLength = 10;
    srb.SrbFlags = flags;
    srb.DataTransferLength = static_cast<uint32_t>(count) * 512;
    srb.DataBuffer = buffer;
    srb.Cdb[0] = opcode;
    srb.Cdb[2] = static_cast<uint8_t>(sector >> 24);
    srb.Cdb[3] = static_cast<uint8_t>(sector >> 16);
    srb.Cdb[4] = static_cast<uint8_t>(sector >> 8);
    srb.Cdb[5] = static_cast<uint8_t>(sector);
    srb.Cdb[7] = static_cast<uint8_t>(count >> 8);
    srb.Cdb[8] = static_cast<uint8_t>(count);
    return srb;
}

ZdStatus SendControl(ZdPortDevice* device, uint32_t code, const void* in, uint32_t inLength, void* out,
                     uint32_t outLength, uintptr_t* information)
{
    // The system buffer: input copied in, output copied back.
    std::vector<uint8_t> buffer(std::max(inLength, outLength));
    if (inLength != 0)
        std::memcpy(buffer.data(), in, inLength);
    ZdRequest request{};
    request.Major = ZD_MJ_DEVICE_CONTROL;
    request.Code = code;
    request.Buffer = buffer.empty() ? nullptr : buffer.data();
    request.InputLength = inLength;
    request.OutputLength = outLength;
    const PnpManager::Answer answer = PnpManager::Instance().Send(device, request);
    if (answer.status >= 0 && outLength != 0)
        std::memcpy(out, buffer.data(), std::min<size_t>(answer.information, outLength));
    if (information != nullptr)
        *information = answer.information;
    return answer.status;
}

PnpManager::Answer PnpManager::Send(ZdPortDevice* device, ZdRequest& request)
{
    ZdPortIrp irp;
    irp.major = request.Major;
    irp.minor = request.Minor;
    irp.status = request.Major == ZD_MJ_PNP ? PNP_STATUS_NOT_SUPPORTED : PNP_STATUS_SUCCESS;
    irp.hasRelations = request.HasInformation != 0;
    irp.srb = request.Srb;
    request.Irp = &irp;
    ZdStatus status = ZdCoreDispatch(device, &request);
    if (status == PNP_STATUS_PENDING) {
        irp.WaitCompleted();
        status = irp.completedStatus;
    }
    Answer answer;
    answer.status = irp.completed ? irp.completedStatus : status;
    answer.information = irp.completedInformation;
    answer.relations = irp.relations;
    answer.text = irp.text;
    answer.interfaceFilled = irp.interfaceFilled;
    answer.passedDown = irp.passedDown;
    for (ZdPortDevice* related : irp.relations)
        --related->references;
    return answer;
}

namespace {

ZdRequest PnpRequest(uint8_t minor)
{
    ZdRequest request{};
    request.Major = ZD_MJ_PNP;
    request.Minor = minor;
    return request;
}

} // namespace

ZdStatus PnpManager::LoadDriver()
{
    static const char16_t kPath[] = u"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\ZeDisk";
    ZdStatus status = ZdCoreDriverEntry(kPath, sizeof(kPath) / sizeof(kPath[0]) - 1);
    if (status < 0)
        return status;
    ZdPortDevice* physical = new ZdPortDevice;
    physical->kind = ZdPortDevice::Physical;
    status = ZdCoreAddDevice(physical);
    if (status < 0) {
        delete physical;
        ZdCoreDriverUnload();
        return status;
    }
    ZdPortDevice* bus;
    {
        std::lock_guard<std::mutex> guard(S().lock);
        S().physical = physical;
        bus = S().bus;
    }
    ZdRequest start = PnpRequest(ZD_MN_START_DEVICE);
    status = Send(bus, start).status;
    {
        std::lock_guard<std::mutex> guard(S().lock);
        S().events.push_back(PnpEvent{"start-bus", 0});
    }
    return status;
}

ZdStatus PnpManager::UnloadDriver(bool surprise)
{
    Settle();
    ZdPortDevice* bus = Bus();
    ZdStatus status = PNP_STATUS_SUCCESS;
    if (bus != nullptr) {
        std::map<uint32_t, ZdPortDevice*> children;
        {
            std::lock_guard<std::mutex> guard(S().lock);
            children = S().children;
        }
        for (const auto& child : children) {
            DiskStackHooks hooks;
            {
                std::lock_guard<std::mutex> guard(S().lock);
                hooks = S().hooks;
            }
            TakeChildFromDiskStack(child.first, hooks);
        }
        if (surprise) {
            ZdRequest gone = PnpRequest(ZD_MN_SURPRISE_REMOVAL);
            Send(bus, gone);
            // Each child was only marked missing: its own removal deletes it.
            for (const auto& child : children) {
                ZdRequest remove = PnpRequest(ZD_MN_REMOVE_DEVICE);
                Send(child.second, remove);
            }
        }
        ZdRequest remove = PnpRequest(ZD_MN_REMOVE_DEVICE);
        status = Send(bus, remove).status;
        std::lock_guard<std::mutex> guard(S().lock);
        S().children.clear();
        S().events.push_back(PnpEvent{"remove-bus", 0});
    }
    ZdPortDevice* physical;
    {
        std::lock_guard<std::mutex> guard(S().lock);
        physical = S().physical;
        S().physical = nullptr;
    }
    delete physical;
    ZdCoreDriverUnload();
    return status;
}

ZdPortDevice* PnpManager::Bus() const
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().bus;
}

std::vector<uint32_t> PnpManager::Children() const
{
    std::lock_guard<std::mutex> guard(S().lock);
    std::vector<uint32_t> serials;
    for (const auto& child : S().children)
        serials.push_back(child.first);
    return serials;
}

ZdPortDevice* PnpManager::Child(uint32_t serial) const
{
    std::lock_guard<std::mutex> guard(S().lock);
    auto it = S().children.find(serial);
    return it == S().children.end() ? nullptr : it->second;
}

ZdStatus PnpManager::BusControl(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
                                uintptr_t* information)
{
    ZdPortDevice* bus = Bus();
    if (bus == nullptr)
        return PNP_STATUS_NO_SUCH_DEVICE;
    const ZdStatus status = SendControl(bus, code, in, inLength, out, outLength, information);
    Settle();
    return status;
}

namespace {

uint32_t SerialOf(PnpManager& manager, ZdPortDevice* child)
{
    ZdRequest query = PnpRequest(ZD_MN_QUERY_ID);
    query.IdType = ZD_ID_INSTANCE;
    const PnpManager::Answer answer = manager.Send(child, query);
    uint32_t serial = 0;
    for (char16_t c : answer.text)
        if (c >= u'0' && c <= u'9')
            serial = serial * 10 + static_cast<uint32_t>(c - u'0');
    return serial;
}

} // namespace

void PnpManager::Settle()
{
    std::lock_guard<std::mutex> one(S().settling);
    for (;;) {
        WorkItem item;
        {
            std::lock_guard<std::mutex> guard(S().lock);
            if (S().work.empty())
                return;
            item = S().work.front();
            S().work.pop_front();
        }
        ZdPortDevice* bus = Bus();
        if (bus == nullptr)
            continue;
        if (item.eject) {
            uint32_t serial = 0;
            {
                std::lock_guard<std::mutex> guard(S().lock);
                for (const auto& child : S().children)
                    if (child.second == item.device)
                        serial = child.first;
            }
            if (serial == 0)
                continue;
            ZdRequest query = PnpRequest(ZD_MN_QUERY_REMOVE_DEVICE);
            if (Send(item.device, query).status < 0) {
                std::lock_guard<std::mutex> guard(S().lock);
                S().events.push_back(PnpEvent{"eject-refused", serial});
                continue;
            }
            // The disk stack above the child goes before the child's own removal.
            DiskStackHooks hooks;
            {
                std::lock_guard<std::mutex> guard(S().lock);
                hooks = S().hooks;
            }
            TakeChildFromDiskStack(serial, hooks);
            ZdRequest remove = PnpRequest(ZD_MN_REMOVE_DEVICE);
            Send(item.device, remove);
            ZdRequest eject = PnpRequest(ZD_MN_EJECT);
            Send(item.device, eject);
            {
                std::lock_guard<std::mutex> guard(S().lock);
                S().events.push_back(PnpEvent{"eject", serial});
                S().work.push_back(WorkItem{false, bus});
            }
            continue;
        }
        ZdRequest relations = PnpRequest(ZD_MN_QUERY_DEVICE_RELATIONS);
        relations.RelationType = ZD_BUS_RELATIONS;
        const Answer answer = Send(bus, relations);
        if (answer.status < 0)
            continue;
        std::map<uint32_t, ZdPortDevice*> known;
        DiskStackHooks hooks;
        {
            std::lock_guard<std::mutex> guard(S().lock);
            known = S().children;
            hooks = S().hooks;
        }
        // Gone: each known child the bus no longer reports.
        for (const auto& child : known) {
            if (std::find(answer.relations.begin(), answer.relations.end(), child.second) != answer.relations.end())
                continue;
            TakeChildFromDiskStack(child.first, hooks);
            ZdRequest remove = PnpRequest(ZD_MN_REMOVE_DEVICE);
            Send(child.second, remove);
            std::lock_guard<std::mutex> guard(S().lock);
            S().children.erase(child.first);
            S().events.push_back(PnpEvent{"remove", child.first});
        }
        // New: each reported child not known yet is started and becomes a disk.
        for (ZdPortDevice* device : answer.relations) {
            bool isKnown = false;
            for (const auto& child : known)
                isKnown = isKnown || child.second == device;
            if (isKnown)
                continue;
            const uint32_t serial = SerialOf(*this, device);
            ZdRequest start = PnpRequest(ZD_MN_START_DEVICE);
            if (Send(device, start).status < 0)
                continue;
            {
                std::lock_guard<std::mutex> guard(S().lock);
                S().children[serial] = device;
                S().events.push_back(PnpEvent{"start", serial});
            }
            HandChildToDiskStack(serial, std::make_shared<ChildDisk>(device), hooks);
        }
    }
}

std::vector<PnpEvent> PnpManager::Events() const
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().events;
}

void PnpManager::ClearEvents()
{
    std::lock_guard<std::mutex> guard(S().lock);
    S().events.clear();
}

void PnpManager::SetBusPowerMapping(const uint32_t mapping[7])
{
    std::lock_guard<std::mutex> guard(S().lock);
    for (int i = 0; i < 7; ++i)
        S().mapping[i] = mapping[i];
}

bool PnpManager::InterfaceEnabled() const
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().interfaceEnabled;
}

// ---- the disk stack's requests ----

ZdStatus ChildDisk::Scsi(ZdScsi& srb, uint32_t code, uint8_t minor) const
{
    ZdRequest request{};
    request.Major = ZD_MJ_INTERNAL_DEVICE_CONTROL;
    request.Minor = minor;
    request.Code = code;
    request.Srb = &srb;
    ZdPortIrp irp;
    irp.major = request.Major;
    irp.minor = minor;
    irp.srb = &srb;
    irp.mdlBuffer = srb.DataBuffer;
    request.Irp = &irp;
    const ZdStatus status = ZdCoreDispatch(device_, &request);
    if (status == PNP_STATUS_PENDING)
        irp.WaitCompleted();
    return irp.completed ? irp.completedStatus : status;
}


ZdStatus ChildDisk::Capacity(uint32_t& lastSector, uint32_t& sectorSize) const
{
    uint8_t answer[8] = {};
    ZdScsi srb{};
    srb.Length = 64;
    srb.CdbLength = 10;
    srb.SrbFlags = 0x40;
    srb.DataTransferLength = 8;
    srb.DataBuffer = answer;
    srb.Cdb[0] = 0x25;
    const ZdStatus status = Scsi(srb);
    lastSector = (uint32_t(answer[0]) << 24) | (uint32_t(answer[1]) << 16) | (uint32_t(answer[2]) << 8) | answer[3];
    sectorSize = (uint32_t(answer[4]) << 24) | (uint32_t(answer[5]) << 16) | (uint32_t(answer[6]) << 8) | answer[7];
    return status;
}

ZdStatus ChildDisk::Read(uint32_t sector, uint16_t count, void* buffer) const
{
    ZdScsi srb = ScsiTransfer(0x28, sector, count, buffer, 0x40);
    return Scsi(srb);
}

ZdStatus ChildDisk::Write(uint32_t sector, uint16_t count, const void* data) const
{
    ZdScsi srb = ScsiTransfer(0x2A, sector, count, const_cast<void*>(data), 0x80);
    return Scsi(srb);
}

ZdStatus ChildDisk::Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
                            uintptr_t* information) const
{
    return SendControl(device_, code, in, inLength, out, outLength, information);
}

void Reset()
{
    PnpManager& manager = PnpManager::Instance();
    if (manager.Bus() != nullptr)
        manager.UnloadDriver();
    manager.ClearEvents();
    const uint32_t mapping[7] = {0, 1, 4, 4, 4, 4, 4};
    manager.SetBusPowerMapping(mapping);
    SetDiskStackHooks(DiskStackHooks{});
    ClearDenials();
    ResetLedgerTags();
}

} // namespace wdk
