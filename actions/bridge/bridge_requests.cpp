#include "actions/bridge/bridge_requests.h"

#include "engine/net_management.h"

namespace cpe::actions {

void SurveyRequester::Request(std::string ip, std::string mac) {
    thread_.Stop();
    engine_.BeginSurvey(mac);
    thread_.Start([this, ip = std::move(ip)](std::stop_token stop) {
        if (!stop.stop_requested())
            engine_.SendCommand(ip, MessageType::site_survey);
    });
}

void BridgeSender::Start(const BridgeRequest& request, std::string ip) {
    // The request of a Save always goes out: ending the sender waits for its one datagram.
    thread_.Start([this, request, ip = std::move(ip)](std::stop_token) {
        engine_.SendCommand(ip, MessageType::bridge, BridgePayloadOf(request));
    });
}

}  // namespace cpe::actions
