// Skin pictures of the wizard's picture buttons. A skin without the picture (an empty path)
// leaves the button as it is.
#pragma once

#include <string>

namespace cpe {

class CTButtonPicture;

// `normal` for the normal and disabled states; `down` (or `normal` when empty) for hover and
// pressed.
void SetButtonPicture(CTButtonPicture& button, const std::string& normal, const std::string& down = {});

}  // namespace cpe
