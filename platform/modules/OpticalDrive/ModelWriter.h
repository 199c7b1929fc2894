// The writer that stands for the burning tools that need a drive (cdrecord,
// growisofs, dvd+rw-format): it blanks, formats or writes an ISO into the modelled
// disc as a new track or session, printing the lines the real tools print.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace optical {

using LineSink = std::function<void(const std::string& text)>;

// Whether the tool (by name, with or without ".exe") is one the model writer runs.
bool IsModelTool(const std::string& tool);
// Runs it over the drives under root; the tool's exit code.
int RunModelTool(const std::string& root, const std::string& tool, const std::vector<std::string>& arguments,
                 const LineSink& emit);
// The ISO builder's arguments for mkisofs and mkcdisofs: "-M <device>" names the
// modelled disc's image instead. False when the device is not a modelled drive.
bool IsoBuilderArguments(const std::string& root, std::vector<std::string>& arguments);

} // namespace optical
