#include "pages/limit_marks.h"

#include "ui/limit_mark.h"

#include <QLineEdit>

namespace cpe {

void MarkLimit(QLineEdit& edit, const actions::EntryLimit& limit) {
    auto measure = [limit](const QString& text) {
        switch (actions::LimitStateOf(text.toStdString(), limit)) {
        case actions::LimitState::kReached: return LimitMark::State::kReached;
        case actions::LimitState::kBeyond: return LimitMark::State::kBeyond;
        case actions::LimitState::kWithin: break;
        }
        return LimitMark::State::kWithin;
    };
    new LimitMark(edit, measure, QString::fromStdString(actions::LimitHint(limit)));
}

}  // namespace cpe
