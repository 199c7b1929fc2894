// The optical-drive tool: finds the drives that can write discs (or sit on USB) and
// describes each in a DREVEL_INFO. One object per process, never released.
#pragma once

#include <cstdint>

enum : unsigned long { KS_BURNER_TOOL_ID = 16 };

// One kept drive; owned by the tool, handed out by pointer. Travels inside one
// process only.
struct DREVEL_INFO {
    const wchar_t* Name;        // "X:"
    const wchar_t* ProductId;   // INQUIRY product identification, 15 characters
    uint32_t Spare;
    const wchar_t* BusType;     // "USB", "ATAPI", ...
    const wchar_t* ScsiId;      // "port,target,lun" or what scanbus reported
    uint32_t CdRead, CdRRead, CdRwRead;
    uint32_t CdWrite, CdRWrite, CdRwWrite;
    uint32_t DvdRead, DvdRomRead, DvdRRead, DvdRamRead;
    uint32_t DvdWrite, DvdRWrite, DvdRamWrite;
    uint8_t ScanbusMatch;
};

class IBurnerTool {
public:
    virtual void SearchAllBurner() = 0;
    virtual unsigned long GetCount() = 0;
    // Null for an index outside the list.
    virtual DREVEL_INFO* GetAt(unsigned long index) = 0;
    virtual unsigned long Exists(const wchar_t* drive) = 0;
    virtual unsigned long IsSearched() = 0;

protected:
    virtual ~IBurnerTool() = default;
};

// The library names its one export in its .def file on Windows; the Linux library
// hides everything else.
#if defined(_WIN32)
#define KS_DREVEL_EXPORT
#else
#define KS_DREVEL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KS_DREVEL_EXPORT unsigned long CreateObjectBurnerTool(unsigned long version, unsigned long id, void** out);
