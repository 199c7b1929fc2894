// Engines that write each call they receive into one log, as "Name a b ...", with
// pointers printed as numbers; and a file-system check module whose answer is set.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "ICensa.h"
#include "IKSBackup.h"
#include "IKSCheck.h"
#include "IKSRestore.h"
#include "OrdwellParts.h"
#include "tillory/ITilloryModule.h"

struct CallLog {
    std::vector<std::string> calls;
    unsigned long answer = 0; // what every recorded operation returns

    template <class... Args>
    unsigned long Add(const char* name, Args... args)
    {
        std::ostringstream line;
        line << name;
        ((line << ' ' << Text(args)), ...);
        calls.push_back(line.str());
        return answer;
    }
    template <class T>
    static std::string Text(T* p)
    {
        return std::to_string(reinterpret_cast<uintptr_t>(p));
    }
    static std::string Text(unsigned long long v) { return std::to_string(v); }
    static std::string Text(unsigned long v) { return std::to_string(v); }
    static std::string Text(int v) { return std::to_string(v); }
    template <class R, class... A>
    static std::string Text(R (*fn)(A...))
    {
        return std::to_string(reinterpret_cast<uintptr_t>(fn));
    }
};

class RecordingBackup final : public IKSBackup {
public:
    explicit RecordingBackup(CallLog& log) : log_(log) {}
    unsigned long Release() override { return log_.Add("Backup.Release"), delete this, 0; }
    unsigned long SetBackupSource(const _KS_BACKUP_SOURCE* s) override { return log_.Add("SetBackupSource", s); }
    unsigned long AddFilter(const _KS_FILTERS_HEAD* f) override { return log_.Add("AddFilter", f); }
    unsigned long SetCallBack(KS_BACKUP_CALLBACK fn, void* c) override { return log_.Add("Backup.SetCallBack", fn, c); }
    unsigned long SetTempPath(const wchar_t* p) override { return log_.Add("SetTempPath", p); }
    unsigned long SetBackupOption(const _KS_BACKUP_OPTION* o) override { return log_.Add("SetBackupOption", o); }
    unsigned long Execute() override { return log_.Add("Backup.Execute"); }
    unsigned long UserCancel() override { return log_.Add("Backup.UserCancel"); }
    unsigned long GetBackupProgress(_KS_PROGRESS_INFO* p, unsigned long v) override
    {
        return log_.Add("GetBackupProgress", p, v);
    }
    unsigned long CheckFileSystem(_KS_VOLUME_ITEM) override { return log_.Add("Backup.CheckFileSystem"); }

private:
    CallLog& log_;
};

class RecordingRestore final : public IKSRestore {
public:
    explicit RecordingRestore(CallLog& log) : log_(log) {}
    unsigned long Release() override { return log_.Add("Restore.Release"), delete this, 0; }
    unsigned long SetImgInfo(_KS_VERSION* v, wchar_t* p) override { return log_.Add("Restore.SetImgInfo", v, p); }
    unsigned long IsPwdProtect(wchar_t* p) override { return log_.Add("Restore.IsPwdProtect", p); }
    unsigned long SetPassword(wchar_t* p, unsigned long b) override { return log_.Add("Restore.SetPassword", p, b); }
    unsigned long GetImageVersions(_KS_VERSION* b, unsigned long s, unsigned long* c, wchar_t* p) override
    {
        return log_.Add("Restore.GetImageVersions", b, s, c, p);
    }
    unsigned long GetImgVolumes(_KS_VOLUME* b, unsigned long s, unsigned long* c, _KS_VERSION* v) override
    {
        return log_.Add("Restore.GetImgVolumes", b, s, c, v);
    }
    unsigned long GetVerComment(wchar_t* b, unsigned long s, unsigned long* c, _KS_VERSION* v) override
    {
        return log_.Add("Restore.GetVerComment", b, s, c, v);
    }
    unsigned long AddRestore(_KS_VOLUME* s, _KS_RESTORE_TARGET* t, unsigned long o) override
    {
        return log_.Add("AddRestore", s, t, o);
    }
    unsigned long AddDiskRestore(_KS_RESTORE_TARGET* s, _KS_RESTORE_TARGET* t, unsigned long o) override
    {
        return log_.Add("AddDiskRestore", s, t, o);
    }
    unsigned long SetStringParam(const wchar_t* p) override { return log_.Add("SetStringParam", p); }
    unsigned long Execute() override { return log_.Add("Restore.Execute"); }
    unsigned long SetCallBack(KS_RESTORE_CALLBACK fn, void* c) override { return log_.Add("Restore.SetCallBack", fn, c); }
    unsigned long GetRestoreProgress(_KS_PROGRESS_INFO* p) override { return log_.Add("GetRestoreProgress", p); }
    unsigned long UserCancel() override { return log_.Add("Restore.UserCancel"); }
    unsigned long SetDiskMode(unsigned long f) override { return log_.Add("SetDiskMode", f); }

private:
    CallLog& log_;
};

class RecordingCheck final : public IKSCheck {
public:
    explicit RecordingCheck(CallLog& log) : log_(log) {}
    unsigned long IsPwdProtect(wchar_t* p) override { return log_.Add("Check.IsPwdProtect", p); }
    unsigned long SetPassword(wchar_t* p, int n) override { return log_.Add("Check.SetPassword", p, n); }
    unsigned long Release() override { return log_.Add("Check.Release"), delete this, 0; }
    unsigned long SetImgInfo(_KS_VERSION* v, wchar_t* p) override { return log_.Add("Check.SetImgInfo", v, p); }
    unsigned long GetImageVersions(_KS_VERSION* b, unsigned long s, int* c, wchar_t* p) override
    {
        return log_.Add("Check.GetImageVersions", b, s, c, p);
    }
    unsigned long GetImgVolumes(_KS_VOLUME* b, unsigned long s, int* c, _KS_VERSION* v) override
    {
        return log_.Add("Check.GetImgVolumes", b, s, c, v);
    }
    unsigned long GetVerComment(wchar_t* b, unsigned long s, int* c, _KS_VERSION* v) override
    {
        return log_.Add("Check.GetVerComment", b, s, c, v);
    }
    unsigned long AddCheck(_KS_VOLUME* v) override { return log_.Add("AddCheck", v); }
    unsigned long Execute() override { return log_.Add("Check.Execute"); }
    unsigned long SetPromptCall(KS_CHECK_PROMPT_CALLBACK fn, void* c) override { return log_.Add("SetPromptCall", fn, c); }
    unsigned long GetCheckProgress(_KS_PROGRESS_INFO* p) override { return log_.Add("GetCheckProgress", p); }
    unsigned long UserCancel() override { return log_.Add("Check.UserCancel"); }

private:
    CallLog& log_;
};

class RecordingCensa final : public ICensa {
public:
    explicit RecordingCensa(CallLog& log) : log_(log) {}
    unsigned long Init() override { return log_.Add("Censa.Init"); }
    unsigned long GetDiskCount(unsigned long long* c) override
    {
        *c = 0x300000002ull;
        return log_.Add("GetDiskCount");
    }
    unsigned long GetDiskInfo(unsigned long long d, _KS_DISK_INFO* i) override
    {
        i->TotalSectors = 12345;
        return log_.Add("GetDiskInfo", d);
    }
    unsigned long GetPartitionCount(unsigned long long d, unsigned long long* c) override
    {
        *c = 4;
        return log_.Add("GetPartitionCount", d);
    }
    unsigned long GetPartitionInfo(unsigned long long d, unsigned long long p, _KS_PARTITION_INFO* i,
                                   unsigned long long* h) override
    {
        i->StartSector = 2048;
        return log_.Add("GetPartitionInfo", d, p, h);
    }
    std::string GetDiskPath(unsigned long long) override { return std::string(); }
    unsigned long Stop() override { return 0; }

private:
    CallLog& log_;
};

// "Tillory.mo" with a set answer; the test points the opener at one of these.
class AnsweringTillory final : public ITilloryModule {
public:
    IObject* GetInterface(const char*) override { return this; }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long TilloryReserved5() override { return 0; }
    unsigned long TilloryReserved6() override { return 0; }
    unsigned long CheckFileSystem(unsigned long a, unsigned long b, unsigned long c, unsigned long d) override
    {
        words = {a, b, c, d};
        return answer;
    }
    std::vector<unsigned long> words;
    unsigned long answer = 1;
};
