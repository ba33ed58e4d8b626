#include "pages/device_cells.h"

#include "actions/status/up_time_text.h"
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
    case ListColumn::kLocation: return FromAnsi(r.ap_name.text());
    case ListColumn::kType: return QString::fromStdString(ModelName(r.ap_type.get()));
    case ListColumn::kIp: return QString::fromStdString(FormatIp(r.ip));
    case ListColumn::kMac: return FromAnsi(std::string_view(r.mac, ::strnlen(r.mac, sizeof r.mac)));
    case ListColumn::kOperationMode: return QString::fromStdString(WorkModeText(r.work_mode));
    case ListColumn::kSsid: return FromAnsi(r.ssid.text());
    case ListColumn::kChannel: return QString::fromStdString(ChannelText(r.channel));
    case ListColumn::kVersion: return FromAnsi(r.version.text());
    case ListColumn::kTime: return UpTimeText(r.up_time.get());
    case ListColumn::kSecureMode: return QString::fromStdString(SecureModeText(r.security.secure_mode));
    case ListColumn::kPower: return QString::number(r.tx_power);
    case ListColumn::kStatus: return QString::fromStdString(StatusText(r.ap_status.get()));
    case ListColumn::kCheck:
    case ListColumn::kSerial:
    case ListColumn::kOperate:
    case ListColumn::kLastSeen: break;
    }
    return {};
}

}  // namespace cpe
