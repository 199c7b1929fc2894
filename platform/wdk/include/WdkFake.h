// Control of the kernel port's Linux fake: what a Windows kernel would provide
// and tests set up or look at instead. The bus driver's core never includes this.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ZeDiskCore.h"

namespace wdk {

// ---- the pool ledger: every block the port hands out, by tag ----
struct LedgerStats {
    size_t liveBlocks = 0;
    size_t liveBytes = 0;
    std::map<uint32_t, size_t> liveByTag;   // live blocks per tag
    std::vector<uint32_t> tagsSeen;          // every tag ever allocated with, sorted
};
LedgerStats Ledger();
// The nth allocation from now (1 = the next) fails; 0 turns failing off.
void FailAllocation(uint64_t nth);
// Forgets what was seen (blocks still live stay live).
void ResetLedgerTags();
// "bimg" for 0x676D6962.
std::string TagName(uint32_t tag);

// ---- identities: each thread acts as a user; files can be kept from one ----
// The identity of the calling thread ("SYSTEM" for system threads and by default).
std::string ThreadIdentity();
void SetThreadIdentity(const std::string& identity);
// Opens of files at or below hostPath fail with STATUS_ACCESS_DENIED for identity.
void DenyIdentity(const std::string& identity, const std::string& hostPath);
void ClearDenials();

// ---- the native file calls ----
// What the last ZdPortCreateFile was asked, whatever it answered.
struct CreateCall {
    std::u16string path;
    uint32_t access = 0;
    uint32_t objectFlags = 0;
    uint32_t attributes = 0;
    uint32_t share = 0;
    uint32_t disposition = 0;
    uint32_t options = 0;
};
CreateCall LastCreate();
// Native files open now.
int OpenFiles();

// Devices alive now (created and not yet deleted).
int LiveDevices();

// ---- the Plug and Play manager and the disk stack ----
// A started child disk as the system's disk stack reads and writes it: through
// SCSI requests to the core.
class ChildDisk {
public:
    explicit ChildDisk(ZdPortDevice* device) : device_(device) {}
    // READ CAPACITY(10): last sector and sector size; the request's status.
    ZdStatus Capacity(uint32_t& lastSector, uint32_t& sectorSize) const;
    // READ(10) / WRITE(10) / VERIFY(10) of count sectors at sector.
    ZdStatus Read(uint32_t sector, uint16_t count, void* buffer) const;
    ZdStatus Write(uint32_t sector, uint16_t count, const void* data) const;
    // Any SCSI request; srb.DataBuffer and length as given. The completed status.
    ZdStatus Scsi(ZdScsi& srb, uint32_t code = 0, uint8_t minor = 0) const;
    // A control request to the child.
    ZdStatus Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
                     uintptr_t* information = nullptr) const;
    ZdPortDevice* Device() const { return device_; }

private:
    ZdPortDevice* device_;
};

// A READ(10)/WRITE(10)/VERIFY(10) block of count 512-byte sectors at sector, with
// the data direction flags given (0x40 in, 0x80 out).
ZdScsi ScsiTransfer(uint8_t opcode, uint32_t sector, uint16_t count, void* buffer, uint32_t flags);
// A control request to any device of the driver, through a system buffer.
ZdStatus SendControl(ZdPortDevice* device, uint32_t code, const void* in, uint32_t inLength, void* out,
                     uint32_t outLength, uintptr_t* information);

// What the disk stack does when a child starts and when it goes. By default each
// started child's disk arrives at the platform layer (KSPlatformDiskArrival: the
// next "\\.\PhysicalDriveN", its partitions' names, a letter) and is removed from
// it before the child goes; a test can set hooks of its own instead.
struct DiskStackHooks {
    std::function<void(uint32_t serial, std::shared_ptr<ChildDisk> disk)> arrived;
    std::function<void(uint32_t serial)> removed;
};
void SetDiskStackHooks(DiskStackHooks hooks);
// The disk-map number a started child's disk arrived as by default; -1 for none.
int DiskNumberOf(uint32_t serial);

struct PnpEvent {
    std::string what;      // "start", "remove", "eject", ...
    uint32_t serial;       // the child's serial (0 for the bus)
};

class PnpManager {
public:
    static PnpManager& Instance();
    // Loads the driver (its entry with a registry path) and adds the bus over a
    // root device, then starts it. STATUS of the first failing step.
    ZdStatus LoadDriver();
    // Removes the bus (and with it every child), then unloads the driver.
    ZdStatus UnloadDriver(bool surprise = false);
    ZdPortDevice* Bus() const;
    // Children the manager knows (started ones), by serial.
    std::vector<uint32_t> Children() const;
    ZdPortDevice* Child(uint32_t serial) const;
    // Sends a control request to the bus, then runs the re-enumerations and
    // ejections it asked for.
    ZdStatus BusControl(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
                        uintptr_t* information = nullptr);
    // Runs the pending re-enumerations and ejections.
    void Settle();
    // Sends one request to a device and returns the dispatch's status. The answer
    // stays in the returned packet while it lives.
    struct Answer {
        ZdStatus status = 0;
        uintptr_t information = 0;
        std::vector<ZdPortDevice*> relations;
        std::u16string text;
        bool interfaceFilled = false;
        bool passedDown = false;
    };
    Answer Send(ZdPortDevice* device, ZdRequest& request);
    std::vector<PnpEvent> Events() const;
    void ClearEvents();
    // The device-state mapping the stack above the bus reports.
    void SetBusPowerMapping(const uint32_t mapping[7]);
    // Whether the bus interface is enabled (the platform layer lists it then).
    bool InterfaceEnabled() const;

    // The manager's state, for the fake's own port calls.
    struct State;
    State& S() const;

private:
    PnpManager() = default;
};

// Everything back to a fresh machine: no driver, an empty ledger record of tags,
// no denials, default hooks. Fails a test when devices are still alive.
void Reset();

} // namespace wdk
