#include "NtfsTools.h"

#include "CommandOutput.h"

#include <cstdio>
#include <sstream>

bool RunCommand(const std::string& command, std::string& output)
{
    int status = 0;
    output = CommandOutput(command, &status);
    return status == 0;
}

namespace {

std::string Target(const std::string& file)
{
    return file[0] == '#' ? "-i " + file.substr(1) : "-F '" + file + "'";
}

} // namespace

bool ToolRuns(const std::string& volume, const std::string& file, const std::vector<std::string>& types,
              std::vector<ToolRun>& runs)
{
    runs.clear();
    std::string output;
    if (!RunCommand("ntfsinfo -v " + Target(file) + " '" + volume + "' 2>/dev/null", output))
        return false;
    std::istringstream lines(output);
    std::string line;
    bool wanted = false;
    bool inRunlist = false;
    while (std::getline(lines, line)) {
        if (line.rfind("Dumping attribute ", 0) == 0) {
            const std::string type = line.substr(18, line.find(' ', 18) - 18);
            wanted = false;
            for (const std::string& t : types)
                wanted = wanted || t == type;
            inRunlist = false;
            continue;
        }
        if (line.find("Runlist:") != std::string::npos) {
            inRunlist = true;
            continue;
        }
        if (!inRunlist)
            continue;
        // Run lines are three hexadecimal columns; anything else ends the list.
        std::istringstream fields(line);
        std::string vcn, lcn, length;
        if (!(fields >> vcn >> lcn >> length) || vcn.rfind("0x", 0) != 0) {
            inRunlist = false;
            continue;
        }
        if (wanted && lcn.rfind("0x", 0) == 0)
            runs.push_back(ToolRun{std::stoll(lcn, nullptr, 16), std::stoll(length, nullptr, 16)});
    }
    return true;
}

bool ToolRootNames(const std::string& volume, std::vector<std::string>& names)
{
    names.clear();
    std::string output;
    if (!RunCommand("ntfsls -f '" + volume + "' 2>/dev/null", output))
        return false;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty())
            names.push_back(line);
    }
    return true;
}

bool ToolCat(const std::string& volume, const std::string& file, std::string& contents)
{
    const std::string target = file[0] == '#' ? "-i " + file.substr(1) : "'" + file + "'";
    return RunCommand("ntfscat -f '" + volume + "' " + target + " 2>/dev/null", contents);
}
