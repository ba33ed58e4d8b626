#include "pages/device_cells.h"

#include "actions/up_time_text.h"
#include "pages/code_texts.h"
#include "platform/codepage.h"
#include "protocol/codes.h"

#include <cstring>

namespace cpe {

QString FromAnsi(std::string_view ansi) { return QString::fromStdString(platform::AnsiToUtf8Lossy(ansi)); }

std::string ToAnsi(const QString& text) { return platform::WideToAnsi(text.toStdU16String()); }

QString UpTimeText(std::uint32_t seconds) { return QString::fromStdString(actions::UpTimeText(seconds)); }

QString RecordCellText(ListColumn column, const ap_info_stu& r) {
    switch (column) {
    case ListColumn::Location: return FromAnsi(r.ap_name.text());
    case ListColumn::Type: return QString::fromStdString(ModelName(r.ap_type.get()));
    case ListColumn::Ip: return QString::fromStdString(FormatIp(r.ip));
    case ListColumn::Mac: return FromAnsi(std::string_view(r.mac, ::strnlen(r.mac, sizeof r.mac)));
    case ListColumn::OperationMode: return QString::fromStdString(WorkModeText(r.work_mode));
    case ListColumn::Ssid: return FromAnsi(r.ssid.text());
    case ListColumn::Channel: return QString::fromStdString(ChannelText(r.channel));
    case ListColumn::Version: return FromAnsi(r.version.text());
    case ListColumn::Time: return UpTimeText(r.up_time.get());
    case ListColumn::SecureMode: return QString::fromStdString(SecureModeText(r.security.secure_mode));
    case ListColumn::Power: return QString::number(r.tx_power);
    case ListColumn::Status: return QString::fromStdString(StatusText(r.ap_status.get()));
    case ListColumn::Check:
    case ListColumn::Serial:
    case ListColumn::Operate: break;
    }
    return {};
}

}  // namespace cpe
