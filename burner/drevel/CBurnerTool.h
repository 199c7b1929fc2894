// The optical-drive tool behind IBurnerTool: finds the CD and DVD drives that can
// write discs, or that sit on USB, describes each in a DREVEL_INFO, and takes the
// identifiers the CD tools know them by from the bus scan's "Temp.txt".
#pragma once

#include <IBurnerTool.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One kept drive: the record and the texts its pointers name.
struct CDrevelEntry {
    DREVEL_INFO info{};
    std::wstring name, productId, busType, scsiId;
    // Points the record's text fields at the texts.
    void Bind();
};

// The identifier of a bus-scan line: its first seven characters after leading tabs,
// newlines and carriage returns, ending at the first blank.
std::wstring ScanbusIdentifier(const std::wstring& line);
// The two passes over the scan's lines: USB drives by product id first, then the
// other drives by their identifier or product id.
void MatchScanbusLines(const std::vector<std::wstring>& lines, std::vector<std::unique_ptr<CDrevelEntry>>& entries);

class CBurnerTool final : public IBurnerTool {
public:
    CBurnerTool() = default;
    ~CBurnerTool() override = default;

    void SearchAllBurner() override;
    unsigned long GetCount() override;
    DREVEL_INFO* GetAt(unsigned long index) override;
    unsigned long Exists(const wchar_t* drive) override;
    unsigned long IsSearched() override;

    // How long the bus scan may run before it is ended (tests shorten it).
    void SetScanbusTimeout(unsigned milliseconds) { scanbusTimeoutMs_ = milliseconds; }

private:
    std::unique_ptr<CDrevelEntry> Analyse(const std::wstring& drive) const;
    void RunScanbus() const;
    std::vector<std::wstring> ReadScanbusLines() const;
    std::wstring ProgramFolder() const;

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<CDrevelEntry>> entries_;
    std::wstring tempTxt_;
    bool searched_ = false;
    unsigned scanbusTimeoutMs_ = 60000;
};
