// A checker made by the module's own factory, as the command executor makes one,
// released when the holder ends.
#pragma once

#include <gtest/gtest.h>

#include "IKSCheck.h"

struct ModuleChecker {
    IKSCheck* p = nullptr;
    ModuleChecker()
    {
        void* out = nullptr;
        EXPECT_EQ(0u, KSCreateObjectCheck(0, 7, &out));
        p = static_cast<IKSCheck*>(out);
    }
    ~ModuleChecker() { p->Release(); }
    ModuleChecker(const ModuleChecker&) = delete;
    ModuleChecker& operator=(const ModuleChecker&) = delete;
    IKSCheck* operator->() const { return p; }
};
