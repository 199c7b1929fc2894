// The restore run's disc and file requests: the hand-over with the restore's own
// answer codes, served every 500 ms on the main loop for as long as the object lives
// (the progress page keeps one for its whole life), asking with the disc change
// dialog about the image of the wizard's record. The progress page registers
// Callback() and Context() with RestoreSetCallBack.
#pragma once

#include <memory>

#include "CDiscChangeHandshake.h"
#include "CDiscChangeServer.h"
#include "command/KSCommandPayloads.h"

class IWizard;

constexpr DiscChangeCodes kRestoreDiscChangeCodes{0x01121607, 0x01191607};

class CRestoreDiscChange {
public:
    // prompt: null asks with the console's dialog.
    explicit CRestoreDiscChange(IWizard* wizard, IDiscChangePrompt* prompt = nullptr, bool withTimer = true);
    ~CRestoreDiscChange();
    CRestoreDiscChange(const CRestoreDiscChange&) = delete;
    CRestoreDiscChange& operator=(const CRestoreDiscChange&) = delete;

    static KS_CMD_CALLBACK Callback() { return &CDiscChangeHandshake::Callback; }
    void* Context() { return &handshake_; }
    CDiscChangeHandshake& Handshake() { return handshake_; }
    // One tick of the timer, for callers that drive it themselves.
    bool Serve() { return server_.Serve(); }

private:
    CDiscChangeHandshake handshake_{kRestoreDiscChangeCodes};
    CNoVersionPrompt dialogPrompt_;
    CDiscChangeServer server_;
    std::unique_ptr<CDiscChangeTimer> timer_;
};
