// scanbus: writes "Temp.txt" into its own folder, one line per modelled drive in the
// bus scan's form ("\t1,0,0\t  100) 'Vendor' 'Product' 'Rev' Removable CD-ROM"), and
// prints the same lines. RVD_SCANBUS_FLOOD=bytes prints that much more first;
// RVD_SCANBUS_HANG=1 never ends (for the tests of its caller).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "OpticalDriveState.h"

int main(int, char** argv)
{
    if (const char* flood = std::getenv("RVD_SCANBUS_FLOOD")) {
        const std::string filler(4096, 'x');
        for (long left = std::atol(flood); left > 0; left -= 4096)
            std::fwrite(filler.data(), 1, filler.size(), stdout);
        std::fflush(stdout);
    }
    std::string folder = argv[0];
    const size_t cut = folder.find_last_of('/');
    folder = cut == std::string::npos ? std::string(".") : folder.substr(0, cut);
    std::FILE* out = std::fopen((folder + "/Temp.txt").c_str(), "w");
    if (!out)
        return 1;
    unsigned number = 100;
    for (const optical::Drive& drive : optical::LoadAll(optical::Root())) {
        char line[300];
        std::snprintf(line, sizeof line, "\t%s\t  %u) '%-8.8s' '%-16.16s' '%-4.4s' Removable CD-ROM\n",
                      drive.scsiId.c_str(), number++, drive.vendor.c_str(), drive.product.c_str(),
                      drive.revision.c_str());
        std::fputs(line, out);
        std::fputs(line, stdout);
    }
    std::fclose(out);
    std::fflush(stdout);
    if (std::getenv("RVD_SCANBUS_HANG"))
        for (;;)
            ::pause();
    return 0;
}
