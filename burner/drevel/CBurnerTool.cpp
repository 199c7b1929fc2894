#include "CBurnerTool.h"

#include <windows.h>

#include <cstring>
#include <thread>

#include "CLineFile.h"
#include "../DriveInquiry.h"
#include "../BurnText.h"

namespace {

void SetCapabilities(DREVEL_INFO& info, const DriveCapabilities& caps)
{
    const auto bit = [](uint8_t bits, int n) { return static_cast<uint32_t>((bits >> n) & 1); };
    info.CdRRead = bit(caps.readBits, 0);
    info.CdRwRead = bit(caps.readBits, 1);
    info.CdRead = info.CdRRead | info.CdRwRead;
    info.DvdRomRead = bit(caps.readBits, 3);
    info.DvdRRead = bit(caps.readBits, 4);
    info.DvdRamRead = bit(caps.readBits, 5);
    info.DvdRead = info.DvdRomRead | info.DvdRRead | info.DvdRamRead;
    info.CdRWrite = bit(caps.writeBits, 0);
    info.CdRwWrite = bit(caps.writeBits, 1);
    info.CdWrite = info.CdRWrite | info.CdRwWrite;
    info.DvdRWrite = bit(caps.writeBits, 4);
    info.DvdRamWrite = bit(caps.writeBits, 5);
    info.DvdWrite = info.DvdRWrite | info.DvdRamWrite;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return !part.empty() && text.find(part) != std::wstring::npos; }

} // namespace

void CDrevelEntry::Bind()
{
    info.Name = name.c_str();
    info.ProductId = productId.c_str();
    info.BusType = busType.c_str();
    info.ScsiId = scsiId.c_str();
}

std::wstring ScanbusIdentifier(const std::wstring& line)
{
    size_t start = 0;
    while (start < line.size() && (line[start] == L'\t' || line[start] == L'\n' || line[start] == L'\r'))
        ++start;
    std::wstring id = line.substr(start, 7);
    const size_t blank = id.find_first_of(L" \t\r\n");
    if (blank != std::wstring::npos)
        id.resize(blank);
    return id;
}

void MatchScanbusLines(const std::vector<std::wstring>& lines, std::vector<std::unique_ptr<CDrevelEntry>>& entries)
{
    for (const std::wstring& line : lines) {
        bool known = false;
        for (const auto& entry : entries)
            known = known || Contains(line, entry->scsiId);
        if (known)
            continue;
        for (auto& entry : entries)
            if (entry->busType == L"USB" && Contains(line, entry->productId)) {
                entry->scsiId = ScanbusIdentifier(line);
                entry->info.ScanbusMatch = 1;
                entry->Bind();
                break;
            }
    }
    for (const std::wstring& line : lines)
        for (auto& entry : entries) {
            if (entry->busType == L"USB")
                continue;
            if (Contains(line, entry->scsiId)) {
                entry->info.ScanbusMatch = 1;
                break;
            }
            if (!entry->info.ScanbusMatch && Contains(line, entry->productId)) {
                entry->scsiId = ScanbusIdentifier(line);
                entry->Bind();
                break;
            }
        }
}

std::unique_ptr<CDrevelEntry> CBurnerTool::Analyse(const std::wstring& drive) const
{
    auto entry = std::make_unique<CDrevelEntry>();
    entry->name = drive;
    HANDLE device = CreateFileW((L"\\\\.\\" + drive).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return nullptr;
    OutputDebugStringA("AnalyseDeviceSCSIID");
    OutputDebugStringA("GetSCSIIDToString");
    entry->scsiId = DriveScsiId(device);
    OutputDebugStringA(BurnNarrow(entry->scsiId.c_str()).c_str());
    OutputDebugStringA("AnalyseDeviceBusType");
    entry->busType = DriveBusTypeName(device);
    OutputDebugStringA("AnalyseDeviceCapability");
    SetCapabilities(entry->info, DriveCapabilityPage(device));
    if (entry->busType.empty() || (entry->busType != L"USB" && !entry->info.CdWrite)) {
        CloseHandle(device);
        return nullptr;
    }
    OutputDebugStringA("AnalyseDeviceProductId");
    entry->productId = DriveProductId(device);
    CloseHandle(device);
    entry->Bind();
    return entry;
}

std::wstring CBurnerTool::ProgramFolder() const
{
    wchar_t path[4096] = {};
    GetModuleFileNameW(nullptr, path, 4096);
    std::wstring folder = path;
    const size_t cut = folder.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut + 1);
}

// The scan's output is drained while it runs (a full pipe would stop it), and a scan
// that does not end in time is ended.
void CBurnerTool::RunScanbus() const
{
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return;
    std::wstring program = ProgramFolder() + L"scanbus.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return;
    }
    std::thread drain([readEnd] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr)) {
        }
    });
    if (WaitForSingleObject(process.hProcess, scanbusTimeoutMs_) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    drain.join();
    CloseHandle(readEnd);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

std::vector<std::wstring> CBurnerTool::ReadScanbusLines() const
{
    std::vector<std::wstring> lines;
    CLineFile file;
    if (!file.Open(tempTxt_, CLineFile::Read))
        return lines;
    std::string line;
    while (file.ReadLine(line)) {
        std::wstring wide = BurnWide(line);
        if (wide.find(L"CD-ROM") != std::wstring::npos)
            lines.push_back(wide);
    }
    return lines;
}

void CBurnerTool::SearchAllBurner()
{
    OutputDebugStringA("SearchAllBurner_1");
    wchar_t roots[261] = {};
    const DWORD length = GetLogicalDriveStringsW(260, roots);
    std::vector<std::unique_ptr<CDrevelEntry>> found;
    for (const wchar_t* root = roots; length <= 260 && *root; root += wcslen(root) + 1) {
        const std::wstring drive = std::wstring(root).substr(0, 2);
        if (GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_CDROM)
            continue;
        OutputDebugStringA("SearchAllBurner_2.1");
        if (std::unique_ptr<CDrevelEntry> entry = Analyse(drive))
            found.push_back(std::move(entry));
    }
    OutputDebugStringA("SearchAllBurner_2");
    std::wstring tempTxt = ProgramFolder() + L"Temp.txt";
    {
        std::lock_guard<std::mutex> guard(lock_);
        tempTxt_ = tempTxt;
    }
    // A file left by an earlier scan would describe drives that may be gone.
    DeleteFileW(tempTxt.c_str());
    RunScanbus();
    OutputDebugStringA("SearchAllBurner_3");
    MatchScanbusLines(ReadScanbusLines(), found);
    OutputDebugStringA("SearchAllBurner_4");
    std::lock_guard<std::mutex> guard(lock_);
    entries_ = std::move(found);
    searched_ = true;
}

unsigned long CBurnerTool::GetCount()
{
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<unsigned long>(entries_.size());
}

DREVEL_INFO* CBurnerTool::GetAt(unsigned long index)
{
    std::lock_guard<std::mutex> guard(lock_);
    return index < entries_.size() ? &entries_[index]->info : nullptr;
}

unsigned long CBurnerTool::Exists(const wchar_t* drive)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!drive)
        return 0;
    for (const auto& entry : entries_)
        if (entry->name == drive)
            return 1;
    return 0;
}

unsigned long CBurnerTool::IsSearched()
{
    std::lock_guard<std::mutex> guard(lock_);
    return searched_ ? 1 : 0;
}
