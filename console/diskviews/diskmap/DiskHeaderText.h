// The text of a disk map row's header: "Disk 1  512MB", or in whole GB from 1,024 MB on
// ("Disk 2  3GB"). number is the number shown (the disk's index plus 1).
#pragma once

#include <string>

std::string DiskHeaderText(unsigned long long number, unsigned long long totalSectors);
