// Security identifiers built and compared byte for byte in their Windows layout
// (revision, count, six-byte authority, 32-bit sub-authorities), and the group list
// of the process and thread tokens, settable by tests.
#include "DesktopState.h"
#include "KSPlatformSetup.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace {

// OpenProcessToken's token (TokenCalls.cpp); the thread's token is the next value.
HANDLE const kProcessTokenValue = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7070));
HANDLE const kThreadTokenValue = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7071));
constexpr BYTE kMaxSubAuthorities = 15;

struct TokenState {
    std::mutex lock;
    std::vector<KSTokenGroup> processGroups{KSAdministratorsGroup(SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT)};
    bool threadTokenPresent = false;
    std::vector<KSTokenGroup> threadGroups;
    DWORD informationError = ERROR_SUCCESS;
};

TokenState& Tokens()
{
    static auto* state = new TokenState;
    return *state;
}

std::atomic<unsigned> liveSids{0};

size_t SidBytes(BYTE count) { return 8 + 4u * count; }

// Writes the SID at out (SidBytes(count) bytes).
void WriteSid(BYTE* out, const BYTE authority[6], const std::vector<DWORD>& subs)
{
    out[0] = 1; // revision
    out[1] = static_cast<BYTE>(subs.size());
    std::memcpy(out + 2, authority, 6);
    for (size_t i = 0; i < subs.size(); ++i)
        std::memcpy(out + 8 + 4 * i, &subs[i], 4);
}

} // namespace

KSTokenGroup KSAdministratorsGroup(DWORD attributes)
{
    KSTokenGroup group;
    group.subAuthorities = {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS};
    group.attributes = attributes;
    return group;
}

void KSPlatformSetProcessTokenGroups(const std::vector<KSTokenGroup>& groups)
{
    std::lock_guard<std::mutex> guard(Tokens().lock);
    Tokens().processGroups = groups;
}

void KSPlatformSetThreadToken(bool present, const std::vector<KSTokenGroup>& groups)
{
    std::lock_guard<std::mutex> guard(Tokens().lock);
    Tokens().threadTokenPresent = present;
    Tokens().threadGroups = groups;
}

void KSPlatformSetTokenInformationError(DWORD error)
{
    std::lock_guard<std::mutex> guard(Tokens().lock);
    Tokens().informationError = error;
}

unsigned KSPlatformLiveSids() { return liveSids.load(); }

void KSPlatformResetTokens()
{
    KSPlatformSetProcessTokenGroups({KSAdministratorsGroup(SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT)});
    KSPlatformSetThreadToken(false, {});
    KSPlatformSetTokenInformationError(ERROR_SUCCESS);
}

extern "C" BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0,
                                                DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                                DWORD sub6, DWORD sub7, PSID* sid)
{
    if (!authority || !sid || count == 0 || count > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD all[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
    auto* bytes = new BYTE[SidBytes(count)];
    WriteSid(bytes, authority->Value, std::vector<DWORD>(all, all + count));
    *sid = bytes;
    ++liveSids;
    return TRUE;
}

extern "C" BOOL WINAPI EqualSid(PSID a, PSID b)
{
    if (!a || !b) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* left = static_cast<const BYTE*>(a);
    const auto* right = static_cast<const BYTE*>(b);
    if (left[0] != 1 || right[0] != 1 || left[1] > kMaxSubAuthorities || right[1] > kMaxSubAuthorities) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return left[1] == right[1] && std::memcmp(left, right, SidBytes(left[1])) == 0;
}

extern "C" PVOID WINAPI FreeSid(PSID sid)
{
    if (sid) {
        delete[] static_cast<BYTE*>(sid);
        --liveSids;
    }
    return nullptr;
}

extern "C" BOOL WINAPI OpenThreadToken(HANDLE, DWORD, BOOL, PHANDLE token)
{
    if (!token) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(Tokens().lock);
    if (!Tokens().threadTokenPresent) {
        SetLastError(ERROR_NO_TOKEN);
        return FALSE;
    }
    *token = kThreadTokenValue;
    return TRUE;
}

extern "C" BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information,
                                           DWORD length, PDWORD returnLength)
{
    TokenState& state = Tokens();
    std::lock_guard<std::mutex> guard(state.lock);
    if (token != kProcessTokenValue && !(token == kThreadTokenValue && state.threadTokenPresent)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (kind != TokenGroups || !returnLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (state.informationError != ERROR_SUCCESS) {
        SetLastError(state.informationError);
        return FALSE;
    }
    const std::vector<KSTokenGroup>& groups = token == kThreadTokenValue ? state.threadGroups : state.processGroups;
    // The record, then the SIDs its entries point to, in one buffer.
    const size_t head = offsetof(TOKEN_GROUPS, Groups) + sizeof(SID_AND_ATTRIBUTES) * std::max<size_t>(groups.size(), 1);
    size_t total = head;
    for (const KSTokenGroup& group : groups)
        total += SidBytes(static_cast<BYTE>(group.subAuthorities.size()));
    *returnLength = static_cast<DWORD>(total);
    if (!information || length < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* record = static_cast<TOKEN_GROUPS*>(information);
    auto* bytes = static_cast<BYTE*>(information);
    record->GroupCount = static_cast<DWORD>(groups.size());
    SID_AND_ATTRIBUTES* entries = record->Groups; // GroupCount entries, past the declared one
    size_t at = head;
    for (size_t i = 0; i < groups.size(); ++i) {
        WriteSid(bytes + at, groups[i].authority, groups[i].subAuthorities);
        entries[i].Sid = bytes + at;
        entries[i].Attributes = groups[i].attributes;
        at += SidBytes(static_cast<BYTE>(groups[i].subAuthorities.size()));
    }
    return TRUE;
}
