// The clock of the bridge page and wizard. The periods live here so that tests can run a survey
// on a shorter clock; the tick count is fixed.
#pragma once

#include <chrono>

namespace cpe::actions {

struct BridgeTimings {
    std::chrono::milliseconds surveyTick{1000};          // model set B: looks for the survey's last packet
    std::chrono::milliseconds surveyWait{6000};          // other models: one wait, whatever arrives
    std::chrono::milliseconds refreshAfterWizard{1000};  // the page reloads once after the wizard closes
    std::chrono::milliseconds answerPoll{1000};          // the wizard looks for the device's answer to Save
    std::chrono::milliseconds answerPatience{20000};     // after which it says none came yet
};

// A model-set-B device is waited for at most this many ticks.
inline constexpr int kSurveyMaxTicks = 30;

}  // namespace cpe::actions
