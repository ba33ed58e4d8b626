// What every renderer does first: the offscreen platform unless another is set, its arguments
// (resources folder, output folder, language id), and the language and skin of that language.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "lang/language.h"
#include "platform/system_info.h"
#include "ui/skin_settings.h"

namespace cpe::render {

struct RenderArguments {
    std::string resources;  // with a trailing slash
    QString out;            // made if missing
    std::uint16_t lcid = 1033;
};

// Before the QApplication: it picks its platform when it is made.
inline void UseOffscreenUnlessSet() {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
}

// The arguments, or nothing after printing the usage.
inline std::optional<RenderArguments> ReadArguments(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <resources folder> <output folder> [lcid]\n", argv[0]);
        return std::nullopt;
    }
    RenderArguments a;
    a.resources = std::string(argv[1]) + "/";
    a.out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(a.out);
    if (argc > 3)
        a.lcid = static_cast<std::uint16_t>(std::atoi(argv[3]));
    return a;
}

// The language of `a` and its skin, installed in `skin` (which must outlive the drawing).
inline void InstallLanguageAndSkin(const RenderArguments& a, SkinSettings& skin) {
    InitLanguage(a.resources, a.lcid);
    LoadSkinSettings(skin, a.resources, platform::VersionText());
    InitSkinPaths(skin, a.resources, a.lcid);
    InstallSkin(&skin);
}

}  // namespace cpe::render
