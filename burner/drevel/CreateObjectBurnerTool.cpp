// The drive tool's factory: one object for the whole process, never released.
#include "CBurnerTool.h"

#include <KSResult.h>

extern "C" unsigned long CreateObjectBurnerTool(unsigned long, unsigned long id, void** out)
{
    if (!out)
        return KS_RESULT(KS_MODULE_CONSOLE, 0x00C);
    if (id != KS_BURNER_TOOL_ID)
        return KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_BAD_ARGUMENT);
    static CBurnerTool* tool = new CBurnerTool;
    *out = static_cast<IBurnerTool*>(tool);
    return 0;
}
