// Picks the file-system reader for a volume: the NTFS reader when it recognises the
// volume, else the FAT reader, else none.
#pragma once

#include "KSFSSupport.h"

// On success *reader is an initialised reader that the caller releases. When neither
// reader takes the volume, *reader is null and the result is kind 0x006 of the
// caller's module (its code for an unsupported file system). A null reader pointer
// gives kind 0x009 of the caller's module.
unsigned long ChooseFsReader(KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write, void* context,
                             unsigned long callerModule, IKSFSSupport** reader);
