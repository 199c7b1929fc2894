// The check's disc and file requests: the hand-over with the check's own answer
// codes, served every 500 ms on the main loop for as long as the object lives,
// asking with the disc change dialog about the image of the wizard's record. A
// refusal is noted in the run's state, so that a failed end reports the cancel.
#pragma once

#include <memory>

#include "CDiscChangeHandshake.h"
#include "CDiscChangeServer.h"
#include "command/KSCommandPayloads.h"

class IChkImgWizard;
struct ChkImgRunState;

constexpr DiscChangeCodes kCheckDiscChangeCodes{0x00DB1607, 0x00E01607};

class CChkImgDiscChange {
public:
    // prompt: null asks with the console's dialog.
    CChkImgDiscChange(IChkImgWizard* wizard, ChkImgRunState& run, IDiscChangePrompt* prompt = nullptr,
                      bool withTimer = true, unsigned waitStepMs = 1000);
    ~CChkImgDiscChange();
    CChkImgDiscChange(const CChkImgDiscChange&) = delete;
    CChkImgDiscChange& operator=(const CChkImgDiscChange&) = delete;

    static KS_CMD_CALLBACK Callback() { return &CDiscChangeHandshake::Callback; }
    void* Context() { return &handshake_; }
    CDiscChangeHandshake& Handshake() { return handshake_; }
    // One tick of the timer, for callers that drive it themselves.
    bool Serve() { return server_.Serve(); }

private:
    // Asks through the real prompt and notes a refusal.
    class RefusalNoting : public IDiscChangePrompt {
    public:
        RefusalNoting(IDiscChangePrompt& inner, ChkImgRunState& run) : inner_(inner), run_(run) {}
        bool Ask(const std::string& displayName, bool fileMode, const std::string& folderPath) override;

    private:
        IDiscChangePrompt& inner_;
        ChkImgRunState& run_;
    };

    CDiscChangeHandshake handshake_;
    CNoVersionPrompt dialogPrompt_;
    RefusalNoting noting_;
    CDiscChangeServer server_;
    std::unique_ptr<CDiscChangeTimer> timer_;
};
