// The console's pictures and message file live in "../res/" beside the program's
// bin/ folder. Started from anywhere else it would show a window of broken pictures,
// so it checks first and says where it looked.
#pragma once

#include <string>

// Empty when `folder` holds the console's pictures and message file; otherwise the
// line to print on standard error.
std::string DescribeMissingResources(const std::string& folder);
