// What the bridge wizard needs from the page that opens it: the device it works on and the
// site-survey request, which belongs to the page and outlives any one wizard.
#pragma once

#include <string>

namespace cpe {

// The device of the row whose "Operate" cell was clicked, texts in the ANSI code set.
struct BridgeTarget {
    std::string ip;
    std::string mac;
    int model = 1;
};

class BridgeWizardHost {
public:
    virtual ~BridgeWizardHost() = default;
    virtual const BridgeTarget& Target() const = 0;
    // Asks the target device for a new site survey.
    virtual void RequestSurvey() = 0;
};

}  // namespace cpe
