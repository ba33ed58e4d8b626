// libFuzzer entry: any bytes as "Setting.ini", read as start-up reads it, and the fonts it
// describes made and measured as the widgets make them; the colour and number rules on the bytes
// themselves.
//
// Properties: a number follows the C rule (strtol, saturated to int); a colour is three fields or
// nothing; every font of the settings can be made and draws a text.

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"
#include "ui/skin_qt.h"
#include "ui/skin_settings.h"

namespace {

void Check(bool holds) {
    if (!holds)
        std::abort();
}

// What strtol makes of the text, saturated to int: the C integer rule of the settings.
int ReferenceInt(const std::string& text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE)
        return value < 0 ? INT_MIN : INT_MAX;
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

void DrawWith(const QFont& font) {
    QImage image(64, 16, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(0, 12, QStringLiteral("Device status 设备"));
    QFontMetrics(font).horizontalAdvance(QStringLiteral("Search"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const cpe::test::TempDir folder;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    if (bytes.find('\0') == std::string::npos)
        Check(cpe::ParseSettingInt(bytes) == ReferenceInt(bytes));
    cpe::ColorRef color = 0x12345678;
    if (!cpe::ParseColor(bytes, color))
        Check(color == 0x12345678);
    else
        Check(color <= 0xFFFFFF);

    std::ofstream(folder.dirText() + "Setting.ini", std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(size));
    cpe::SkinSettings skin;
    cpe::LoadSkinSettings(skin, folder.dirText(), "V1");
    Check(skin.gridFont.faceName.size() <= cpe::LogFont::kFaceChars);
    Check(skin.buttonMenuFontName.size() <= 63 * 3);
    const QString face = QString::fromStdString(skin.buttonMenuFontName);
    DrawWith(cpe::MakeFont(skin.gridTitleFont));
    DrawWith(cpe::MakeFont(skin.gridFont));
    DrawWith(cpe::MakeFont(face, skin.buttonMenuFontHeight, skin.buttonMenuFontWeight));
    DrawWith(cpe::MakeFont(face, skin.buttonFontHeight, skin.buttonFontWeight));
    DrawWith(cpe::MakeFont(face, skin.staticFontHeight, skin.staticFontWeight));
    return 0;
}
