// How many threads the image writer compresses on during a backup: the value of
// RVD_BACKUP_WORKERS read as every worker count is (1 keeps all work on the
// backup thread, above 64 is cut to 64), else 0, which lets the writer take one
// per processor.
#pragma once

namespace backup_workers {

constexpr const char* kVariable = "RVD_BACKUP_WORKERS";

// The count in a variable's text: 1 to 64, or 0 for none, 0 or text that is
// not a whole number.
unsigned long FromText(const char* text);
// The count the environment asks for.
unsigned long FromEnvironment();

} // namespace backup_workers
