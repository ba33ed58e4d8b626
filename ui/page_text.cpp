#include "ui/page_text.h"

#include "lang/language.h"
#include "ui/ct_static.h"

namespace cpe {

QString PageText(const char* key) { return QString::fromStdString(TranslateString(key)); }

QString CountText(const char* key, int count) {
    QString text = PageText(key);
    const qsizetype at = text.indexOf(QStringLiteral("%d"));
    if (at >= 0)
        text.replace(at, 2, QString::number(count));
    return text;
}

void SetOnlineCountText(CTStatic& label, int count) {
    label.setText(CountText("Online device count:%d", count));
    label.update();
}

}  // namespace cpe
