#include "InstCommand.h"

#include "DriverInstall.h"
#include "KSResult.h"
#include "MountKinds.h"

unsigned long RunInstCommand(const std::vector<std::wstring>& arguments)
{
    if (arguments.size() < 2 || (arguments[0] != L"-I" && arguments[0] != L"-i"))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    std::wstring folder = arguments[1];
    for (size_t i = 2; i < arguments.size(); ++i)
        folder += L" " + arguments[i];
    return InstallDriverInProcess(folder.c_str(), 0);
}

int InstExitCode(unsigned long result)
{
#if defined(_WIN32)
    return static_cast<int>(result);
#else
    if (KSSucceeded(result))
        return 0;
    const int low = static_cast<int>(KSResultKind(result) & 0xFF);
    return low != 0 ? low : 255;
#endif
}
