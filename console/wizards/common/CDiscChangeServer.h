// The main thread's side of a disc or file request: take the request, eject the disc
// that holds the image, ask the user, rescan the discs after OK, and answer. The
// question itself goes through IDiscChangePrompt, so the steps are tested without a
// display; CDiscChangeTimer runs them every 500 ms on the GTK main loop.
#pragma once

#include <functional>
#include <string>

#include <glib.h>

#include "CDiscChangeHandshake.h"

class IDiscChangePrompt {
public:
    virtual ~IDiscChangePrompt() = default;
    // True when the user confirmed. folderPath: a path in the folder to list.
    virtual bool Ask(const std::string& displayName, bool fileMode, const std::string& folderPath) = 0;
};

// The dialog the console shows: CNoVersionDlg, 300 x 200, without a parent.
class CNoVersionPrompt : public IDiscChangePrompt {
public:
    bool Ask(const std::string& displayName, bool fileMode, const std::string& folderPath) override;
};

class CDiscChangeServer {
public:
    // imagePath gives the image's path at the moment of the request.
    CDiscChangeServer(CDiscChangeHandshake& handshake, IDiscChangePrompt& prompt,
                      std::function<std::string()> imagePath);
    // One tick: true when a request was served.
    bool Serve();

private:
    CDiscChangeHandshake& handshake_;
    IDiscChangePrompt& prompt_;
    std::function<std::string()> imagePath_;
};

// A 500 ms GTK timeout that serves requests for as long as it lives.
class CDiscChangeTimer {
public:
    explicit CDiscChangeTimer(CDiscChangeServer& server, guint intervalMs = 500);
    ~CDiscChangeTimer();
    CDiscChangeTimer(const CDiscChangeTimer&) = delete;
    CDiscChangeTimer& operator=(const CDiscChangeTimer&) = delete;

private:
    static gboolean OnTick(gpointer self);
    CDiscChangeServer& server_;
    guint source_ = 0;
};
