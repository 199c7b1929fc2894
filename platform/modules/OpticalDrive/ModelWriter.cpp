#include "ModelWriter.h"

#include "OpticalDriveState.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace optical {

namespace {

std::string BaseTool(std::string tool)
{
    const size_t slash = tool.find_last_of("/\\");
    if (slash != std::string::npos)
        tool = tool.substr(slash + 1);
    if (tool.size() > 4 && tool.compare(tool.size() - 4, 4, ".exe") == 0)
        tool.resize(tool.size() - 4);
    return tool;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

uint64_t FileBytes(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

// Copies the ISO into the disc image at the block, in pieces, telling progress.
bool CopyIntoDisc(const std::string& root, char letter, const std::string& iso, uint32_t block,
                  const std::function<void(uint64_t done, uint64_t total)>& progress)
{
    std::FILE* in = std::fopen(iso.c_str(), "rb");
    if (!in)
        return false;
    std::FILE* out = std::fopen(DiscImagePath(root, letter).c_str(), "r+b");
    if (!out) {
        std::fclose(in);
        return false;
    }
    const uint64_t total = FileBytes(iso);
    std::fseek(out, static_cast<long>(uint64_t{block} * kBlockBytes), SEEK_SET);
    std::vector<char> buffer(1 << 20);
    uint64_t done = 0;
    bool ok = true;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        if (std::fwrite(buffer.data(), 1, n, out) != n) {
            ok = false;
            break;
        }
        done += n;
        progress(done, total);
    }
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs genisoimage, passing its lines on; its exit code.
int RunIsoBuilder(const std::vector<std::string>& arguments, const LineSink& emit)
{
    std::string command = "genisoimage";
    for (const std::string& argument : arguments)
        command += " " + Quote(argument);
    command += " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return 127;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe))
        emit(line);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// cdrecord -v dev=D [blank=fast] [driveropts=..] [-multi] [-ignsize] image
int Cdrecord(const std::string& root, const std::vector<std::string>& arguments, const LineSink& emit)
{
    std::string device, image;
    bool blank = false, multi = false;
    for (const std::string& a : arguments) {
        if (a.rfind("dev=", 0) == 0)
            device = a.substr(4);
        else if (a.rfind("blank=", 0) == 0)
            blank = true;
        else if (a == "-multi")
            multi = true;
        else if (!a.empty() && a[0] != '-' && a.find('=') == std::string::npos)
            image = a;
    }
    emit("wodim: Operation not permitted. Warning: Cannot raise RLIMIT_MEMLOCK limits.\n");
    Drive drive;
    if (!FindByDevice(root, device, drive)) {
        emit("wodim: No such file or directory. Cannot open SCSI driver!\n");
        return 1;
    }
    emit(Format("scsidev: '%s'\nscsibus: %u target: %u lun: %u\n", device.c_str(), unsigned{drive.port},
                unsigned{drive.target}, unsigned{drive.lun}));
    emit(Format("Device type    : Removable CD-ROM\nVendor_info    : '%-8s'\nIdentification : '%-16s'\n",
                drive.vendor.c_str(), drive.product.c_str()));
    if (drive.failingTool == "cdrecord") {
        emit("wodim: Input/output error. write_g1: scsi sendcmd: no error\n");
        return 254;
    }
    Disc& disc = drive.disc;
    if (blank) {
        if (disc.profile != 0x0A) {
            emit("wodim: Cannot blank disk, aborting.\n");
            return 255;
        }
        emit("Blanking PMA, TOC, pregap\n");
        disc.tracks.clear();
        disc.closed = false;
        Save(root, drive);
        std::FILE* f = std::fopen(DiscImagePath(root, drive.letter).c_str(), "wb");
        if (f)
            std::fclose(f);
        emit("Blanking time:    1.000s\n");
        return 0;
    }
    if (disc.profile != 0x09 && disc.profile != 0x0A) {
        emit("wodim: Found DVD media but DVD-R/DVD-RW support code is missing.\n");
        return 255;
    }
    const uint64_t bytes = FileBytes(image);
    if (bytes == 0) {
        emit(Format("wodim: No such file or directory. Cannot open '%s'.\n", image.c_str()));
        return 255;
    }
    const uint32_t blocks = static_cast<uint32_t>((bytes + kBlockBytes - 1) / kBlockBytes);
    const long long mib = static_cast<long long>(bytes >> 20);
    emit(Format("Track 01: data  %4lld MB        \n", mib));
    if (blocks > FreeBlocks(disc)) {
        emit("wodim: Data may not fit on current disk.\nwodim: Cannot write more than remaining DVD capacity.\n");
        return 255;
    }
    emit(Format("Starting to write CD/DVD at speed %5.1f in %s%s %s mode for %s session.\n", 16.0, "real", "", "TAO",
                multi ? "multi" : "single"));
    const uint32_t start = NextWritable(disc);
    long long shown = -1;
    const bool copied = CopyIntoDisc(root, drive.letter, image, start, [&](uint64_t done, uint64_t) {
        const long long written = static_cast<long long>(done >> 20);
        if (written != shown) {
            shown = written;
            emit(Format("\rTrack %02d: %4lld of %4lld MB written (fifo %3d%%) [buf %3d%%]  16.0x.", 1, written, mib,
                        100, 99));
        }
    });
    if (!copied) {
        emit("\nwodim: Input/output error. write_g1: scsi sendcmd: no error\n");
        return 254;
    }
    disc.tracks.push_back({start, blocks});
    disc.closed = !multi;
    Save(root, drive);
    emit(Format("\nTrack %02d: Total bytes read/written: %lld/%lld (%u sectors).\n", 1,
                static_cast<long long>(bytes), static_cast<long long>(uint64_t{blocks} * kBlockBytes), blocks));
    emit("Fixating...\nFixating time:    1.000s\n");
    return 0;
}

// Writes the ISO as the disc's next session (or over it from block 0); growisofs's lines.
int WriteDvd(const std::string& root, Drive& drive, const std::string& iso, bool overwrite, const LineSink& emit)
{
    Disc& disc = drive.disc;
    if (drive.failingTool == "growisofs") {
        emit(Format("%11lld/%lld (%4.1f%%) @%.1fx, remaining %d:%02d RBU %5.1f%% UBU %5.1f%%\n", 32768LL,
                    static_cast<long long>(FileBytes(iso)), 1.0, 4.0, 0, 10, 100.0, 99.8));
        emit(":-( write failed: Input/output error\n");
        return 1;
    }
    const uint64_t bytes = FileBytes(iso);
    const uint32_t blocks = static_cast<uint32_t>((bytes + kBlockBytes - 1) / kBlockBytes);
    if (overwrite) {
        disc.tracks.clear();
        disc.closed = false;
    }
    if (blocks > FreeBlocks(disc)) {
        emit(Format(":-( %s: %lld blocks are free, %lld to be written!\n", (std::string(1, drive.letter) + ":").c_str(),
                    static_cast<long long>(FreeBlocks(disc)), static_cast<long long>(blocks)));
        return 1;
    }
    const uint32_t start = NextWritable(disc);
    emit(Format("Executing 'builtin_dd if=%s of=%c: obs=32k seek=%u'\n", iso.c_str(), drive.letter, start / 16));
    int shown = -1;
    const bool copied = CopyIntoDisc(root, drive.letter, iso, start, [&](uint64_t done, uint64_t total) {
        const double percent = total ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 100.0;
        if (static_cast<int>(percent) != shown) {
            shown = static_cast<int>(percent);
            emit(Format("%11lld/%lld (%4.1f%%) @%.1fx, remaining %d:%02d RBU %5.1f%% UBU %5.1f%%\n",
                        static_cast<long long>(done), static_cast<long long>(total), percent, 4.0, 0, 1, 100.0, 99.8));
        }
    });
    if (!copied) {
        emit(":-( write failed: Input/output error\n");
        return 1;
    }
    disc.tracks.push_back({start, blocks});
    Save(root, drive);
    emit(Format("builtin_dd: %lld*2KB out @ average %.1fx%dKBps\n", static_cast<long long>(blocks), 4.0, 5540));
    emit(Format("%c:: flushing cache\n%c:: closing track\n%c:: closing session\n%c:: reloading tray\n", drive.letter,
                drive.letter, drive.letter, drive.letter));
    return 0;
}

// growisofs -use-the-force-luke (-Z X:=image | [-R -J] -Z X: opts folder | -M X: opts folder)
int Growisofs(const std::string& root, const std::vector<std::string>& arguments, const LineSink& emit)
{
    std::string target, image;
    bool merge = false;
    std::vector<std::string> builder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-use-the-force-luke")
            continue;
        if ((a == "-Z" || a == "-M") && i + 1 < arguments.size()) {
            merge = a == "-M";
            target = arguments[++i];
            const size_t eq = target.find('=');
            if (eq != std::string::npos) {
                image = target.substr(eq + 1);
                target.resize(eq);
            }
            continue;
        }
        builder.push_back(a);
    }
    Drive drive;
    if (!FindByDevice(root, target, drive)) {
        emit(Format(":-( unable to open64(\"%s\",O_RDONLY): No such file or directory\n", target.c_str()));
        return 1;
    }
    if (drive.disc.profile == 0 || drive.disc.profile == 0x09 || drive.disc.profile == 0x0A) {
        emit(Format(":-( %s: media is not recognized as recordable DVD: %X\n", target.c_str(), drive.disc.profile));
        return 1;
    }
    if (!image.empty())
        return WriteDvd(root, drive, image, true, emit);
    const std::string iso = DriveFolder(root, drive.letter) + "/session.iso";
    if (merge) {
        if (drive.disc.tracks.empty()) {
            emit(":-( no volume descriptors found in previous session?\n");
            return 1;
        }
        builder.insert(builder.begin(), {"-C", std::to_string(drive.disc.tracks.back().start) + "," +
                                                   std::to_string(NextWritable(drive.disc)),
                                         "-M", DiscImagePath(root, drive.letter)});
    }
    builder.insert(builder.begin(), {"-o", iso});
    const int built = RunIsoBuilder(builder, emit);
    if (built != 0) {
        std::remove(iso.c_str());
        return built;
    }
    const int written = WriteDvd(root, drive, iso, !merge, emit);
    std::remove(iso.c_str());
    return written;
}

int DvdFormat(const std::string& root, const std::vector<std::string>& arguments, const LineSink& emit)
{
    std::string target = arguments.empty() ? std::string() : arguments.back();
    Drive drive;
    if (!FindByDevice(root, target, drive)) {
        emit(Format(":-( unable to open(\"%s\"): No such file or directory\n", target.c_str()));
        return 1;
    }
    if (drive.failingTool == "dvd+rw-format") {
        emit(":-( unable to FORMAT UNIT: Input/output error\n");
        return 1;
    }
    emit("* DVD+RW/-RAM format utility, version 7.1.\n");
    emit(Format("* %.1fGB DVD+RW media detected.\n", drive.disc.capacityBlocks * 2048.0 / 1e9));
    emit("* formatting 0.0%\r* formatting 50.0%\r* formatting 100.0%\n");
    drive.disc.formatted = true;
    drive.disc.tracks.clear();
    drive.disc.closed = false;
    Save(root, drive);
    return 0;
}

} // namespace

bool IsModelTool(const std::string& tool)
{
    const std::string base = BaseTool(tool);
    return base == "cdrecord" || base == "growisofs" || base == "dvd+rw-format";
}

int RunModelTool(const std::string& root, const std::string& tool, const std::vector<std::string>& arguments,
                 const LineSink& emit)
{
    const std::string base = BaseTool(tool);
    if (base == "cdrecord")
        return Cdrecord(root, arguments, emit);
    if (base == "growisofs")
        return Growisofs(root, arguments, emit);
    if (base == "dvd+rw-format")
        return DvdFormat(root, arguments, emit);
    return 127;
}

bool IsoBuilderArguments(const std::string& root, std::vector<std::string>& arguments)
{
    for (size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "-M") {
            Drive drive;
            if (!FindByDevice(root, arguments[i + 1], drive))
                return false;
            arguments[i + 1] = DiscImagePath(root, drive.letter);
        }
    return true;
}

} // namespace optical
