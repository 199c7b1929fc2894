// The launcher's whole work: checks, warning, Main, its crash and the reporter.
#pragma once

namespace loader {

// The exit code: 1 when a check refused or Main could not start, else 0.
int RunLoader();

} // namespace loader
