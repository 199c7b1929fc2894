#include "MountListLine.h"

#include <fstream>
#include <vector>

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::vector<std::string> FieldsOfLine(const std::string& line)
{
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}
} // namespace

std::string MountPointOfListLine(const std::string& line)
{
    const std::vector<std::string> fields = FieldsOfLine(line);
    if (fields.size() >= 3 && fields[1] == "on")
        return fields[2];
    return fields.size() >= 2 ? fields[1] : std::string();
}

bool FindMountListLine(const std::string& listFile, const std::string& mountPoint, std::string& line)
{
    std::ifstream in(listFile);
    if (!in)
        return false;
    std::string candidate;
    while (std::getline(in, candidate)) {
        if (!candidate.empty() && candidate.back() == '\r')
            candidate.pop_back();
        if (!mountPoint.empty() && MountPointOfListLine(candidate) == mountPoint) {
            line = candidate;
            return true;
        }
    }
    return false;
}

bool DeviceOfListLine(const std::string& line, std::string& device)
{
    const size_t blank = line.find(' ');
    if (blank == std::string::npos)
        return false;
    device = line.substr(0, blank);
    return true;
}

std::string LabelOfListLine(const std::string& line)
{
    const size_t bracket = line.find('[');
    return bracket == std::string::npos ? std::string("[]") : line.substr(bracket);
}

std::string DiscListLine(const std::string& mountLine)
{
    const std::vector<std::string> fields = FieldsOfLine(mountLine);
    const std::string device = fields.size() > 0 ? fields[0] : std::string();
    const std::string mountPoint = fields.size() > 2 ? fields[2] : std::string();
    const size_t bracket = mountLine.find('[');
    const std::string rest = bracket == std::string::npos ? mountLine : mountLine.substr(bracket);
    return device + " " + mountPoint + " " + rest;
}
