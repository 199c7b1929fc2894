// What the Linux and Windows loaders of the module-object layer share: the checks
// and names that do not depend on how a platform loads a library.
#pragma once

// The file a module name is loaded from: name + ".mo" into file (size bytes). False
// for a name longer than kMomMaxModuleName characters or a buffer too small.
bool MomModuleFileName(const char* name, char* file, unsigned long size);
