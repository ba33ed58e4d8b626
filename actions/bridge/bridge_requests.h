// The two requests of the bridge flow, each sent once from a thread of its own: the site survey
// the wizard's survey step asks for, and the bridge request of its Save. Nothing is awaited or
// retried; the device's replies reach the store through the engine.
#pragma once

#include <string>

#include "actions/bridge/bridge_wizard.h"
#include "actions/common/one_shot_thread.h"

namespace cpe {
class CNetManagement;
}  // namespace cpe

namespace cpe::actions {

// At most one survey request at a time: a new one ends the one still running first, and a request
// ended before it went out is dropped (a newer survey, or none, replaces it).
class SurveyRequester {
public:
    explicit SurveyRequester(CNetManagement& engine) : engine_(engine) {}

    // Starts a new survey of the device (the engine forgets the last one and from now on keeps
    // only this device's replies), then sends site_survey to `ip` from the request thread.
    void Request(std::string ip, std::string mac);
    void Stop() { thread_.Stop(); }

private:
    CNetManagement& engine_;
    OneShotThread thread_;
};

// The wizard's sender: one bridge request to the device at `ip`, on its own copy of the request.
// A new Start, or destruction, waits for a sender still running: its request is never dropped.
class BridgeSender {
public:
    explicit BridgeSender(CNetManagement& engine) : engine_(engine) {}

    void Start(const BridgeRequest& request, std::string ip);
    void Stop() { thread_.Stop(); }

private:
    CNetManagement& engine_;
    OneShotThread thread_;
};

}  // namespace cpe::actions
