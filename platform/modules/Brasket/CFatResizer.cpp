#include "CFatResizer.h"

#include <parted/parted.h>
#include <parted/filesys.h>

#include <mutex>

namespace {
// libparted's exception handler is process-wide: one resize at a time.
std::mutex g_brasketPartedLock;
std::string* g_brasketMessage = nullptr;

PedExceptionOption KeepPartedMessage(PedException* exception)
{
    if (g_brasketMessage != nullptr && exception->message != nullptr) {
        if (!g_brasketMessage->empty())
            *g_brasketMessage += "; ";
        *g_brasketMessage += exception->message;
    }
    // Warnings and notes that offer to go on are ignored; errors stop the call.
    if (exception->type < PED_EXCEPTION_ERROR && (exception->options & PED_EXCEPTION_IGNORE))
        return PED_EXCEPTION_IGNORE;
    return PED_EXCEPTION_CANCEL;
}

void ReportPartedTime(PedTimer* timer, void* context)
{
    auto* progress = static_cast<CCallBackOperate*>(context);
    if (progress != nullptr && timer != nullptr)
        progress->SetPercent(20 + static_cast<unsigned long>(timer->frac * 70));
}
}

CFatResizer::Outcome CFatResizer::Resize(const std::string& path, uint64_t oldSectors, uint64_t newSectors,
                                         CCallBackOperate& progress)
{
    std::lock_guard<std::mutex> hold(g_brasketPartedLock);
    message_.clear();
    g_brasketMessage = &message_;
    ped_exception_set_handler(KeepPartedMessage);
    Outcome outcome = kFailed;
    PedDevice* device = ped_device_get(path.c_str());
    if (device != nullptr && ped_device_open(device)) {
        PedGeometry* old = ped_geometry_new(device, 0, static_cast<PedSector>(oldSectors));
        PedGeometry* wanted = ped_geometry_new(device, 0, static_cast<PedSector>(newSectors));
        PedFileSystem* fs = old != nullptr ? ped_file_system_open(old) : nullptr;
        if (fs == nullptr) {
            outcome = kNotFat;
        } else {
            // The resize itself decides: libparted's constraint refuses a volume that
            // ends on the file's last sector, which the resize then handles well.
            PedTimer* timer = ped_timer_new(ReportPartedTime, &progress);
            outcome = wanted != nullptr && ped_file_system_resize(fs, wanted, timer) ? kResized : kRefused;
            if (timer != nullptr)
                ped_timer_destroy(timer);
            ped_file_system_close(fs);
        }
        if (wanted != nullptr)
            ped_geometry_destroy(wanted);
        if (old != nullptr)
            ped_geometry_destroy(old);
        ped_device_close(device);
    }
    if (device != nullptr)
        ped_device_destroy(device);
    ped_exception_set_handler(nullptr);
    g_brasketMessage = nullptr;
    return outcome;
}
