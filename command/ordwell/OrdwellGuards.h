// Early returns shared by the executor's handlers: a missing engine answers kind 0x005,
// a command that needs a reply but was given none answers kind 9.
#pragma once

#include "OrdwellResults.h"

#define ORDWELL_NEEDS(engine)                                                                                        \
    do {                                                                                                             \
        if (engines_.engine == nullptr)                                                                              \
            return KS_RESULT(KS_MODULE_COMMAND, OrdwellResult::kKindNoEngine);                                       \
    } while (0)
#define ORDWELL_NEEDS_REPLY(reply)                                                                                   \
    do {                                                                                                             \
        if ((reply) == nullptr)                                                                                      \
            return KS_RESULT(KS_MODULE_COMMAND, KS_KIND_BAD_ARGUMENT);                                               \
    } while (0)
