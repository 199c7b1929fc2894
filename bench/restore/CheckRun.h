// One check of every volume of a set's only version, as the command executor
// drives the checker: listed, added, Execute, joined.
#pragma once

#include <string>

// Returns the run's result code (0 on success). sequential checks the blocks one
// after the other on the run's own thread (the checker as it was before its block
// workers); otherwise the blocks go to the workers RVD_CHECK_WORKERS asks for.
unsigned long RunCheck(const std::string& set, bool sequential);
