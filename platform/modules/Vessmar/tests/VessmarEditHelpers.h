// Helpers of the edit tests: a creation record, the listed item at a sector and the
// table as sfdisk shows it, one line per entry.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "VessmarFixture.h"
#include "vessmar/AddPartitionParam.h"

inline AddPartitionParam Record(uint32_t fileSystem, unsigned long long first, unsigned long long last,
                                bool primary, const char* name = "")
{
    AddPartitionParam r;
    std::memset(&r, 0, sizeof(r));
    r.FileSystem = fileSystem;
    r.FirstSector = first;
    r.LastSector = last;
    std::strncpy(r.Name, name, sizeof(r.Name) - 1);
    r.DriveLetter = '*';
    r.Primary = primary ? 1 : 0;
    return r;
}

inline IManagerItem* ItemAt(IManagerItem* disk, unsigned long long start)
{
    for (IManagerItem* item : Items(PartitionsOf(disk)))
        if (EntryOf(item)->GetStartSector() == start)
            return item;
    return nullptr;
}

inline std::string Table(const std::string& image)
{
    std::string text;
    for (const DumpLine& d : SfdiskDump(image)) {
        char line[128];
        std::snprintf(line, sizeof(line), "%d:%llu+%llu:%x%s\n", d.number, d.start, d.size, d.type,
                      d.bootable ? "*" : "");
        text += line;
    }
    return text;
}
