// The disc burner: writes a folder of files, or a ready "image.iso", to the CD or DVD
// in one drive through the outside burning tools, and reads the drive's disc state.
// Results carry module number 1; callers test the low 16 bits.
#pragma once

#include "BurnDiscInfo.h"

enum : unsigned long {
    KS_PYRELLE_ID = 17,
    // Burner kinds (module number 1).
    KS_KIND_NO_OUT_POINTER = 0x00C,
    KS_KIND_DISC_INFO = 0x156,
    KS_KIND_BURN_FAILED = 0x15A,
    KS_KIND_TRAY_LOCK = 0x15B,
    KS_KIND_EJECT = 0x15C,
    KS_KIND_MEDIA_UNSUPPORTED = 0x15D,
    KS_KIND_BLANK_TOOL = 0x15E,
    KS_KIND_ISO_MISSING = 0x15F,
    KS_KIND_NOT_A_FOLDER = 0x160,
    KS_KIND_BURN_PROGRESS = 0x161,
};

// Writer stages that GetProgress reports.
enum : int {
    BURN_STAGE_BLANKING = 0,
    BURN_STAGE_ISO = 1,
    BURN_STAGE_CD_WRITE = 2,
    BURN_STAGE_DVD_FOLDER = 3,
    BURN_STAGE_DVD_IMAGE = 4,
    BURN_STAGE_DVD_FORMAT = 5,
    BURN_STAGE_IDLE = 6,
};

class IPyrelle {
public:
    virtual unsigned long Release() = 0;
    // "X:"; false when the drive's device does not open.
    virtual bool Open(const wchar_t* drive) = 0;
    virtual unsigned long LockTray(unsigned long lock) = 0;
    virtual unsigned long Eject() = 0;
    virtual unsigned long HasData() = 0;
    // Writes the source folder (null: "image.iso" beside the program) as a new disc.
    virtual unsigned long Burn(const wchar_t* source, unsigned long firstBurn, const wchar_t* label) = 0;
    // Adds the folder's files as a further session.
    virtual unsigned long Append(const wchar_t* source) = 0;
    virtual unsigned long GetMediaType(unsigned long unused) = 0;
    virtual unsigned long GetDiscInfo(BURN_DISC_INFO* info) = 0;
    virtual void Reserved9(void* unused) = 0;
    virtual unsigned long GetProgress(int* value, int* total, int* stage) = 0;
    virtual const wchar_t* GetProductId() = 0;
    virtual const wchar_t* GetProductString() = 0;
    virtual const wchar_t* GetBusTypeName() = 0;
    virtual void Reserved14() = 0;
    virtual unsigned long QueryDeviceProperties() = 0;
    virtual unsigned long QueryProductId() = 0;
    virtual unsigned long QueryScsiIdString() = 0;

protected:
    virtual ~IPyrelle() = default;

public:
    // The 8-byte SCSI address (length, port, path, target, LUN, padding).
    virtual unsigned long GetScsiAddress(void* out) = 0;
};

// The library names its one export in its .def file on Windows; the Linux library
// hides everything else.
#if defined(_WIN32)
#define KS_PYRELLE_EXPORT
#else
#define KS_PYRELLE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KS_PYRELLE_EXPORT unsigned long CreateObjectPyrelle(unsigned long version, unsigned long id, void** out);
