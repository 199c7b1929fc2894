#include "PeerBitmap.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "CommandOutput.h"

std::string ExtractPartition(const std::string& disk, uint64_t start, uint64_t sectors, const std::string& out)
{
    const std::string command = "dd if='" + disk + "' of='" + out + "' bs=512 skip=" + std::to_string(start) +
                                " count=" + std::to_string(sectors) + " conv=sparse status=none";
    return std::system(command.c_str()) == 0 ? out : std::string();
}

std::vector<uint8_t> PartcloneBitmap(const std::string& tool, const std::string& partition, uint64_t dataStart,
                                     uint32_t spc, uint64_t clusters, uint32_t bitmapBytes)
{
    const std::string domain = partition + ".domain";
    const std::string command = "partclone." + tool + " -D -s '" + partition + "' -o '" + domain + "' -L '" +
                                partition + ".log' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    std::vector<uint8_t> bits(bitmapBytes, 0);
    std::ifstream in(domain);
    std::string line;
    bool table = false;
    while (std::getline(in, line)) {
        if (line.rfind("#      pos", 0) == 0) {
            table = true;
            continue;
        }
        if (!table || line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string pos, size, status;
        fields >> pos >> size >> status;
        if (status != "+")
            continue;
        const uint64_t first = std::stoull(pos, nullptr, 16), end = first + std::stoull(size, nullptr, 16);
        const uint64_t clusterBytes = uint64_t(spc) * 512, base = dataStart * 512;
        if (end <= base)
            continue;
        const uint64_t from = (first > base ? first - base : 0) / clusterBytes;
        const uint64_t to = (end - base + clusterBytes - 1) / clusterBytes;
        for (uint64_t c = from; c < to && c < clusters; ++c)
            bits[c / 8] |= static_cast<uint8_t>(1u << (c % 8));
    }
    return bits;
}

std::vector<std::pair<uint64_t, uint64_t>> NtfsRuns(const std::string& partition, const std::string& file)
{
    std::vector<std::pair<uint64_t, uint64_t>> runs;
    std::istringstream lines(CommandOutput("ntfsinfo -v -F '" + file + "' '" + partition + "' 2>/dev/null"));
    std::string line;
    bool inRuns = false;
    while (std::getline(lines, line)) {
        if (line.find("Runlist:") != std::string::npos) {
            inRuns = true;
            continue;
        }
        if (!inRuns)
            continue;
        std::istringstream fields(line);
        std::string vcn, lcn, length;
        if (!(fields >> vcn >> lcn >> length) || vcn.rfind("0x", 0) != 0) {
            inRuns = false;
            continue;
        }
        if (lcn.rfind("0x", 0) == 0)
            runs.emplace_back(std::stoull(lcn, nullptr, 16), std::stoull(length, nullptr, 16));
    }
    return runs;
}
