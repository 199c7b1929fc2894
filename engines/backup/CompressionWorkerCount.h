// How many threads the image writer compresses on during a backup: the value of
// RVD_BACKUP_WORKERS (1 to 255; 1 keeps all work on the backup thread), else 0,
// which lets the writer take one per processor.
#pragma once

namespace backup_workers {

constexpr const char* kVariable = "RVD_BACKUP_WORKERS";

// The count in a variable's text; 0 for none, text that is not a whole number
// or one outside 1 to 255.
unsigned long FromText(const char* text);
// The count the environment asks for.
unsigned long FromEnvironment();

} // namespace backup_workers
