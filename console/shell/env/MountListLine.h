// The lines of the environment's mount lists: "/mnt/volinfo" holds the mount table's
// lines of the volumes ("/dev/sda1 on /mnt/P1 type vfat (ro) [DATA]"), and
// "/mnt/volcdrominfo" one line per disc ("/dev/sr0 /mnt/CD1 [DISC]"). A line belongs to
// a mount point when its mount-point field (the one after "on" in a mount-table line,
// else the second) is exactly that mount point: "/mnt/P1" never takes the line of
// "/mnt/P10", nor a line whose label happens to hold the text.
#pragma once

#include <string>

// The mount point a list line names; empty when it names none.
std::string MountPointOfListLine(const std::string& line);
// The first line of the list file that belongs to the mount point, read whole however
// long it is; false when the file cannot be read or no line belongs to it.
bool FindMountListLine(const std::string& listFile, const std::string& mountPoint, std::string& line);
// The device of a list line: the text before its first blank; false when it has none.
bool DeviceOfListLine(const std::string& line, std::string& device);
// The label a volume or disc row shows: the line from its first "[", or "[]" when
// the line has none.
std::string LabelOfListLine(const std::string& line);
// The disc list's line for one line of "mount -l": device, blank, mount point, blank
// and the line from its first "[" (the whole line when it has none).
std::string DiscListLine(const std::string& mountLine);
