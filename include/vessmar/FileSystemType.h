// File-system kinds as the device manager reports them and the console numbers them.
#pragma once

enum enumFILE_SYSTEM_TYPE {
    FILE_SYSTEM_FAT12 = 0,
    FILE_SYSTEM_FAT16 = 1,
    FILE_SYSTEM_FAT32 = 2,
    FILE_SYSTEM_NTFS = 3,
    FILE_SYSTEM_FOREIGN4 = 4,
    FILE_SYSTEM_FOREIGN5 = 5,
    FILE_SYSTEM_FOREIGN6 = 6,
    FILE_SYSTEM_OTHER = 7, // other or unformatted
    FILE_SYSTEM_FOREIGN8 = 8,
    FILE_SYSTEM_BITLOCKER = 9,
    FILE_SYSTEM_FOREIGN10 = 10,
};
