#include "fleet/fleet_texts.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include "inventory/event_detail.h"
#include "ui/page_text.h"

namespace cpe {
namespace {

struct KindKey {
    std::string_view kind;
    const char* key;
};
constexpr KindKey kKindKeys[] = {
    {inventory::event_kind::kFirstSeen, "First seen"},
    {inventory::event_kind::kBackOnline, "Back online"},
    {inventory::event_kind::kGone, "Gone offline"},
    {inventory::event_kind::kRenamed, "Renamed"},
    {inventory::event_kind::kAddressChanged, "Address changed"},
    {inventory::event_kind::kFirmwareChanged, "Firmware changed"},
    {inventory::event_kind::kRename, "Rename"},
    {inventory::event_kind::kConfigurationSave, "Configuration saved"},
    {inventory::event_kind::kBridge, "Bridge"},
    {inventory::event_kind::kReboot, "Reboot"},
    {inventory::event_kind::kFactoryRestore, "Factory restore"},
    {inventory::event_kind::kUpgrade, "Upgrade"},
    {inventory::event_kind::kSettingsRestore, "Settings restored"},
    {inventory::event_kind::kSettingsApply, "Settings applied"},
};

struct ReasonKey {
    std::string_view reason;
    const char* key;
};
constexpr ReasonKey kReasonKeys[] = {
    {inventory::backup_reason::kOnRequest, "On request"},
    {inventory::backup_reason::kBeforeSave, "Before a configuration save"},
    {inventory::backup_reason::kBeforeBridge, "Before a bridge"},
    {inventory::backup_reason::kBeforeFactoryRestore, "Before a factory restore"},
    {inventory::backup_reason::kBeforeUpgrade, "Before an upgrade"},
    {inventory::backup_reason::kBeforeSettingsRestore, "Before a settings restore"},
};

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QString LastSeenText(const inventory::KnownDevice& device, std::int64_t now) {
    if (device.online)
        return PageText("Online");
    const std::int64_t ago = std::max<std::int64_t>(0, now - device.lastSeen);
    constexpr std::int64_t kMinute = 60, kHour = 60 * kMinute, kDay = 24 * kHour;
    if (ago < kMinute)
        return CountText("Offline for %d s", static_cast<int>(ago));
    if (ago < kHour)
        return CountText("Offline for %d min", static_cast<int>(ago / kMinute));
    if (ago < 2 * kDay)
        return CountText("Offline for %d h", static_cast<int>(ago / kHour));
    return CountText("Offline for %d d", static_cast<int>(std::min<std::int64_t>(ago / kDay, INT32_MAX)));
}

QString LocalTimeText(std::int64_t secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString EventKindText(std::string_view kind) {
    for (const KindKey& k : kKindKeys)
        if (k.kind == kind)
            return PageText(k.key);
    return FromUtf8(kind);
}

QString EventDetailText(std::string_view json) {
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())));
    if (!document.isObject())
        return FromUtf8(json);
    QStringList pairs;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        const QString text = value.isDouble() ? QString::number(value.toInteger()) : value.toVariant().toString();
        pairs << it.key() + QStringLiteral(": ") + text;
    }
    return pairs.join(QStringLiteral(", "));
}

QString BackupText(const inventory::SettingsBackup& backup) {
    QString reason = FromUtf8(backup.reason);
    for (const ReasonKey& r : kReasonKeys)
        if (r.reason == backup.reason)
            reason = PageText(r.key);
    return LocalTimeText(backup.time) + QStringLiteral("  ") + reason + QLatin1Char(' ') +
           CountText("(backup %d)", static_cast<int>(backup.id));
}

QString RefusalText(const actions::RestorePlan& plan) {
    if (plan.refusal != nullptr)
        return PageText(plan.refusal);
    return plan.failure ? QString::fromStdString(plan.failure->failure.Text()) : QString();
}

}  // namespace cpe
