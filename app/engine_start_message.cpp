#include "app/engine_start_message.h"

#include "engine/net_management.h"
#include "lang/language.h"

#include <cstring>

namespace cpe {
namespace {

void FillFirst(QString& text, const QString& placeholder, const QString& value) {
    const qsizetype at = text.indexOf(placeholder);
    if (at >= 0)
        text.replace(at, placeholder.size(), value);
}

}  // namespace

QString EngineStartMessage(const EngineStartResult& result) {
    if (result.Started())
        return {};
    const char* key = result.PortInUse()      ? kEnginePortInUseKey
                      : result.ConcernsPort() ? kEnginePortFailedKey
                                              : kEngineFailedKey;
    QString text = QString::fromStdString(TranslateString(key));
    // The number first: it cannot hold a placeholder, the system's text might.
    FillFirst(text, QStringLiteral("%d"), QString::number(result.port));
    FillFirst(text, QStringLiteral("%s"), QString::fromLocal8Bit(std::strerror(result.error)));
    return text;
}

}  // namespace cpe
