// Where the clone wizard gets its command objects, its disk enumeration and its device
// manager. The console uses the real ones; tests put stand-ins in their place.
#pragma once

class ICensa;
class ITasque;
class IVessmarModule;

typedef ITasque* (*CloneCommandFactory)();
typedef ICensa* (*CloneCensaSource)();
typedef IVessmarModule* (*CloneVessmarOpener)();

// A new command object (released by the caller), or null.
ITasque* NewCloneCommand();
// The disk enumeration object, or null.
ICensa* CloneCensa();
// The device manager module "Vessmar", or null when it cannot be opened.
IVessmarModule* OpenCloneVessmar();

// Null restores the real one.
void SetCloneCommandFactory(CloneCommandFactory factory);
void SetCloneCensaSource(CloneCensaSource source);
void SetCloneVessmarOpener(CloneVessmarOpener opener);
