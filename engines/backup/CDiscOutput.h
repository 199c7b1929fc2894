// The disc output of a backup to CD or DVD: checks the drive and the first disc,
// sizes the image files to the room left on the disc, burns the staged files and asks
// the caller for further discs. The engine owns one per run of storage type 32.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class IPyrelle;
class IBurnerTool;

// The burner's and the drive tool's factories, so that tests can put doubles in
// their place. KSDefaultDiscServices() names the real ones.
struct KSDiscServices {
    unsigned long (*createPyrelle)(unsigned long version, unsigned long id, void** out);
    unsigned long (*createBurnerTool)(unsigned long version, unsigned long id, void** out);
};
const KSDiscServices& KSDefaultDiscServices();

// What the disc output needs of its engine.
class IDiscOutputHost {
public:
    virtual ~IDiscOutputHost() = default;
    // The caller's answer to a message; false when there is no callback.
    virtual bool AskCaller(unsigned long message, const wchar_t* path, unsigned long& answer) = 0;
    virtual uint32_t State() = 0;
    virtual void SetState(uint32_t state) = 0;
    virtual void SetDiscBurned(bool burned) = 0;
    // The label of the next disc, from the image container.
    virtual std::wstring DiscLabel() = 0;
};

class CDiscOutput {
public:
    CDiscOutput(const KSDiscServices& services, IDiscOutputHost& host) : services_(services), host_(host) {}
    ~CDiscOutput();
    CDiscOutput(const CDiscOutput&) = delete;
    CDiscOutput& operator=(const CDiscOutput&) = delete;

    // Finds the drive of the image path (its letter, upper-cased) among the writers,
    // checks the disc in it and locks the tray.
    unsigned long Prepare(const std::wstring& imagePath);
    // Asks for a disc with message 18, 20 or 24 until one is accepted that holds at
    // least needMiB (0: any usable disc), or passes message 22 on.
    unsigned long AskForDisc(unsigned long message, const wchar_t* path, uint32_t needMiB = 0);
    // The size of the next image file in MiB.
    unsigned long SplitSize(unsigned long& splitMiB);
    // Burns every staged file of the folder to the disc (a new disc, or a further
    // session), then deletes them. A failed burn keeps them.
    unsigned long BurnFolder(const std::wstring& folder);
    // The burner's progress while it burns; false when there is no burner.
    bool BurnerProgress(int& value, int& total, int& stage);
    // Unlocks and ejects the disc and lets the burner go.
    void Finish();
    uint32_t RemainingMiB() const { return remainingMiB_; }

private:
    unsigned long ReadDisc(unsigned long& mediaType, uint64_t& totalKiB, uint64_t& usedKiB);
    // Why a disc cannot take the backup: a message number, or 0 when it is usable.
    unsigned long Objection(unsigned long mediaType, uint64_t totalKiB, uint64_t usedKiB, uint32_t needMiB) const;
    void SetCapacity(uint64_t totalKiB);
    unsigned long Eject();

    const KSDiscServices services_;
    IDiscOutputHost& host_;
    std::mutex burnerLock_; // the burner pointer against a progress poll
    IPyrelle* burner_ = nullptr;
    IBurnerTool* tool_ = nullptr;
    std::wstring drive_;
    uint32_t remainingMiB_ = 0;
    bool firstBurn_ = true;
    bool freshDisc_ = true;
};
