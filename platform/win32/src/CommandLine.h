// A Windows command line split into arguments, and where a program name leads.
#pragma once

#include <string>
#include <vector>

namespace ks_platform {

// The C run-time's rules: blanks separate, double quotes group, 2n backslashes before
// a quote give n and the quote groups, 2n+1 give n and a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& line);
// The host path of a program: a path is mapped through the drive table; a bare name
// is looked for in the running program's folder, then on PATH; "name.exe" may stand
// for "name". Empty when nothing executable is found.
std::string FindProgram(const std::string& name);
// The running program's path and folder (with its trailing separator).
std::string ModulePath();

} // namespace ks_platform
