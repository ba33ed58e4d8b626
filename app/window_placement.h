// The main window's size and maximised state, remembered from one run to the next in the user's
// settings folder ("window.ini"), and the start size chosen from what was remembered: a size that
// is missing, unreadable, smaller than the window's minimum or larger than the screen gives the
// default size.
#pragma once

#include <QSize>
#include <filesystem>
#include <optional>

namespace cpe {

struct WindowPlacement {
    QSize size;  // the size when not maximised
    bool maximized = false;
};

inline constexpr const char* kWindowPlacementFileName = "window.ini";

// "window.ini" in the user's settings folder; empty when the user has none.
std::filesystem::path DefaultWindowPlacementFile();

// What the file remembers; a size that is not two whole numbers reads as an empty size.
std::optional<WindowPlacement> LoadWindowPlacement(const std::filesystem::path& file);
// Writes the placement, making the folder when missing; false when it cannot be written.
bool SaveWindowPlacement(const std::filesystem::path& file, const WindowPlacement& placement);

// The placement to start with: the remembered one when its size fits between `minimum` and the
// screen's `available` size, else `minimum` (the remembered maximised state is kept either way).
WindowPlacement StartPlacement(const std::optional<WindowPlacement>& stored, QSize minimum, QSize available);

}  // namespace cpe
