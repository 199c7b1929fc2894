// Starts and stops the disk-access service that the engines' raw disk access needs.
// Where the service does not exist (a recovery system) both simply fail.
#pragma once

class CDiskAccessService {
public:
    // True when the service was started, or was running already.
    static bool Start();
    // True when the service accepted the stop request.
    static bool Stop();
};
