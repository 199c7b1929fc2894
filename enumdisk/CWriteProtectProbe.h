// Asks a lettered volume whether it is write-protected: the one disk access of this
// module. Goes through the platform's device calls, so where no volume has a letter
// (a recovery system) nothing is opened.
#pragma once

class CWriteProtectProbe {
public:
    // True only when the volume "\\.\X:" opens for reading and writing and its device
    // answers the writability question with "write-protected". A volume that does not
    // open is not marked.
    static bool IsWriteProtected(char letter);
};
