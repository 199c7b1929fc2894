#include "RestoreCopierProgress.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "CCallBackOperate.h"
#include "CRestoreProgress.h"

namespace {
constexpr DWORD kCopierRefreshMs = 1000;

void RefreshFromCopier(RestoreCopierContext& c)
{
    const double total = double(static_cast<uint32_t>(uint64_t(c.scale) * c.weight * c.operationPercent / 10000)) + c.base;
    char name[128] = {};
    uint32_t grow = 0;
    std::wstring text;
    const bool named = c.operationName(c.operationId, name, c.info) != 0;
    if (named) {
        if (total > double(c.lastTotal))
            grow = static_cast<uint32_t>(total - double(c.lastTotal));
        c.lastTotal = static_cast<uint32_t>(total);
        name[sizeof name - 1] = '\0';
        wchar_t wide[128] = {};
        std::mbstowcs(wide, name, 127);
        text = wide;
    }
    c.keeper->RefreshFromCopier(grow, named ? &text : nullptr);
}

bool Due(RestoreCopierContext& c, DWORD& last, bool& refreshed)
{
    const DWORD now = c.tick();
    if (refreshed && static_cast<DWORD>(now - last) < kCopierRefreshMs)
        return false;
    last = now;
    refreshed = true;
    return true;
}
}

void BeginCopierContext(RestoreCopierContext& context, CRestoreProgress& keeper)
{
    std::memset(static_cast<void*>(&context), 0, sizeof context);
    context.scale = 100;
    context.keeper = &keeper;
    context.tick = GetTickCount;
    context.operationName = LoadOperationName;
}

unsigned long RestoreCopierProgress(void* context, unsigned long kind, unsigned long value, unsigned long value2)
{
    auto& c = *static_cast<RestoreCopierContext*>(context);
    switch (kind) {
    case KS_OPERATE_START:
        c.base = c.tenths = 0;
        c.startValue = static_cast<uint32_t>(value);
        break;
    case KS_OPERATE_TENTHS:
        c.tenths = double(value) / 10;
        break;
    case KS_OPERATE_ALL_DONE:
        c.operationPercent = 0;
        c.base = 100.0;
        break;
    case KS_OPERATE_SCALE:
        c.scale = static_cast<uint32_t>(value);
        break;
    case KS_OPERATE_SCALE_RESET:
        c.scale = 100;
        return 0;
    case KS_OPERATE_BEGIN:
        c.operationPercent = c.weight = 0;
        c.operationId = static_cast<uint32_t>(value);
        c.info = reinterpret_cast<const void*>(static_cast<uintptr_t>(value2));
        break;
    case KS_OPERATE_WEIGHT:
        c.weight = static_cast<uint32_t>(value);
        break;
    case KS_OPERATE_PERCENT:
    case KS_OPERATE_ADD_PERCENT: {
        const uint64_t percent = kind == KS_OPERATE_PERCENT ? value : uint64_t(c.operationPercent) + value;
        c.operationPercent = static_cast<uint32_t>(percent > 100 ? 100 : percent);
        if (!Due(c, c.lastPercentTick, c.percentRefreshed))
            return 0;
        break;
    }
    case KS_OPERATE_DONE:
        c.operationPercent = 100;
        break;
    case KS_OPERATE_CANCEL_POLL:
        if (c.keeper->cancel.load() != 0)
            return KS_OPERATE_CANCELLED;
        if (!Due(c, c.lastCancelTick, c.cancelRefreshed))
            return 0;
        break;
    default:
        return 0;
    }
    RefreshFromCopier(c);
    return 0;
}
