#include "store/sql_management.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

#include "platform/codepage.h"
#include "platform/fair_mutex.h"
#include "protocol/codes.h"
#include "store/ado_database.h"
#include "store/ado_recordset.h"
#include "store/database_file.h"
#include "store/device_row.h"
#include "store/device_search.h"

namespace cpe {
namespace {

using store::SqlParam;

constexpr int kModeStation = 2;

// The site-survey table, in the engine's own dialect (the device table comes from its columns).
constexpr const char* kSurveyTableStatement =
    "CREATE TABLE ap_other_info(ID Counter,packet_count long,packet_id long,icount long,mac char(18),ssid "
    "char(33),signal long,channel long,secure_mode long,exchannel long,bandwidth long)";

// Every write looks its row up by mac first, the bridge questions look devices up by their
// wireless and bridge MACs and the first list is sorted by ip_num: without these indexes
// each of them would scan the whole table.
//
// ap_info_search keeps, per device row, its status and the searched columns joined into one
// lower-case text (numbers as decimal text, fields apart by a unit separator), maintained by
// triggers: counting a page's rows and searching then read one narrow row per device
// instead of a wide one.
std::string SearchTextOf(const char* row) {
    std::string text = "lower(";
    const char* columns[] = {"ap_name", "ip", "mac", "ssid", "version", "work_mode", "channel", "ap_type"};
    for (const char* column : columns) {
        if (column != columns[0])
            text += "||char(31)||";
        text += std::string("coalesce(") + row + "." + column + ",'')";
    }
    return text + ")";
}

std::vector<std::string> SupportStatements() {
    return {
        "create unique index ap_info_mac on ap_info(mac)",
        "create index ap_info_ip_num on ap_info(ip_num)",
        "create index ap_info_ssid_mac on ap_info(ssid_mac)",
        "create index ap_info_bridge_mac on ap_info(bridge_mac)",
        "create unique index ap_other_info_mac on ap_other_info(mac)",
        "create table ap_info_search(ID integer primary key, ap_status integer, search_text text)",
        "create trigger ap_info_search_add after insert on ap_info begin insert into ap_info_search(ID, ap_status, "
        "search_text) values(new.ID, new.ap_status, " +
            SearchTextOf("new") + "); end",
        "create trigger ap_info_search_change after update of ID, ap_status, ap_name, ip, mac, ssid, version, "
        "work_mode, channel, ap_type on ap_info begin update ap_info_search set ID=new.ID, ap_status=new.ap_status, "
        "search_text=" +
            SearchTextOf("new") + " where ID=old.ID; end",
        "create trigger ap_info_search_drop after delete on ap_info begin delete from ap_info_search where ID=old.ID; "
        "end",
    };
}

// The file is a scratch copy for one run that no other program opens: nothing needs to
// survive a crash, and the connection keeps its lock instead of taking it per statement.
constexpr std::array<const char*, 5> kConnectionSettings = {
    "pragma locking_mode=exclusive", "pragma journal_mode=memory", "pragma synchronous=off",
    "pragma temp_store=memory",      "pragma cache_size=-16384",
};

constexpr std::array<const char*, 12> kSortColumns = {
    "mac",     "ip_num",      "ap_name",  "ap_type", "work_mode", "ssid",
    "channel", "secure_mode", "tx_power", "version", "up_time",   "ap_status",
};

// The search text occurs in the searched columns of the row.
constexpr const char* kSearchFilter =
    " where instr((select search_text from ap_info_search where ap_info_search.ID=ap_info.ID), ?1)>0";
// The same when the text holds the separator of the joined columns, so that it cannot match
// across two of them.
constexpr const char* kSeparatorSearchFilter =
    " where device_search_match(?1, ap_info.ap_name, ap_info.ip, ap_info.mac, ap_info.ssid, ap_info.version,"
    " ap_info.work_mode, ap_info.channel, ap_info.ap_type)";

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

// Closes the shared result however an operation ends.
class QueryScope {
public:
    explicit QueryScope(CADORecordset& result) : result_(result) {}
    ~QueryScope() { result_.CloseQuery(); }
    QueryScope(const QueryScope&) = delete;
    QueryScope& operator=(const QueryScope&) = delete;

private:
    CADORecordset& result_;
};

}  // namespace

struct CSqlManagement::Impl {
    std::filesystem::path file;
    std::string connectionString;
    // Held for the whole of every operation. Nothing that takes another lock is called under
    // it: the ANSI code set is named before it is taken. Served in arrival order, so the pages'
    // reads wait behind the workers' writes, never for all of them.
    platform::FairMutex lock;
    CADODatabase database;
    CADORecordset result;
    bool openFailed = false;

    bool Connect() {
        if (!database.Connect(connectionString))
            return false;
        store::RegisterSearchFunction(database.Connection()->Handle());
        for (const char* setting : kConnectionSettings)
            database.ExecuteStatement(setting);
        return true;
    }

    // With the lock held.
    bool ExecuteLocked(std::string_view statement, store::SqlParams params = {}) {
        if (!database.IsConnected())
            return false;
        database.BeginTransaction();
        const bool ok = database.ExecuteStatement(statement, params);
        database.CommitTransaction();
        return ok;
    }

    // With the lock held: opens the statement on the shared result.
    bool Open(std::string_view query, std::initializer_list<SqlParam> params) {
        return database.IsConnected() && result.OpenQuery(query, params);
    }
};

CSqlManagement& CSqlManagement::GetInstance() {
    static CSqlManagement store(store::DefaultDatabaseFile());
    return store;
}

CSqlManagement::CSqlManagement(const std::filesystem::path& databaseFile) : impl_(std::make_unique<Impl>()) {
    impl_->file = databaseFile;
    impl_->connectionString = store::ConnectionStringFor(databaseFile);
    // No file (no folder could be trusted with it): the store stays closed and says so.
    if (databaseFile.empty()) {
        impl_->openFailed = true;
        impl_->result.Bind(impl_->database);
        return;
    }
    std::error_code ignored;
    std::filesystem::remove(databaseFile, ignored);
    // A file that could not be deleted is used as it stands.
    if (!std::filesystem::exists(databaseFile, ignored) &&
        impl_->database.CreateDatabaseFile(impl_->connectionString) && impl_->Connect()) {
        for (const std::string& statement : store::DeviceTableStatements())
            ExecuteSql(statement);
        ExecuteSql(kSurveyTableStatement);
        for (const std::string& statement : SupportStatements())
            ExecuteSql(statement);
        impl_->database.Disconnect();
    }
    impl_->openFailed = !impl_->Connect();
    impl_->result.Bind(impl_->database);
}

CSqlManagement::~CSqlManagement() {
    {
        std::lock_guard guard(impl_->lock);
        impl_->result.CloseQuery();
        impl_->database.Disconnect();
    }
    std::error_code ignored;
    if (!impl_->file.empty())
        std::filesystem::remove(impl_->file, ignored);
}

bool CSqlManagement::OpenFailed() const { return impl_->openFailed; }

const std::filesystem::path& CSqlManagement::DatabaseFile() const { return impl_->file; }

bool CSqlManagement::ExecuteSql(std::string_view statement) {
    std::lock_guard guard(impl_->lock);
    return impl_->ExecuteLocked(statement);
}

// SQL counts the rows and cuts the page: only the ids are sorted, and only the page's rows
// are read and converted. Rows that tie on the sort column follow their id in the same
// direction, so pages never overlap and an index on the column serves both directions; a
// page in the back half is cut from the other end, so no page walks more than half.
bool CSqlManagement::GetDevicePage(int sortCode, bool ascending, int pageSize, int pageNumber,
                                   std::string_view searchText, int& pageCount, int& onlineCount,
                                   std::vector<ap_info_stu>& out) {
    if (sortCode < 0 || sortCode >= static_cast<int>(kSortColumns.size()) || pageSize <= 0)
        return false;
    const bool search = !searchText.empty();
    const bool separator = searchText.find('\x1f') != std::string_view::npos;
    const std::string filter = !search ? "" : separator ? kSeparatorSearchFilter : kSearchFilter;
    const std::string needle = separator ? std::string(searchText) : LowerAscii(searchText);
    const std::string column = std::string("ap_info.") + kSortColumns[sortCode];
    const auto orderBy = [&](bool up) {
        const char* direction = up ? " asc" : " desc";
        return " order by " + column + direction + ", ap_info.ID" + direction;
    };
    const SqlParam text = search ? SqlParam{std::string_view(needle)} : SqlParam{};

    const std::string codeset = platform::AnsiCodeset();
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    const std::string countSql =
        std::string("select count(*) as row_count, sum(case when ap_status<>0 then 1 else 0 end) as online_count") +
        (!search      ? " from ap_info_search"
         : !separator ? " from ap_info_search where instr(search_text, ?1)>0"
                      : " from ap_info" + filter);
    if (!(search ? impl_->Open(countSql, {text}) : impl_->Open(countSql, {})))
        return false;
    int rows = 0, online = 0;
    result.ReadInt("row_count", rows);
    result.ReadInt("online_count", online);

    std::vector<ap_info_stu> page;
    const std::int64_t first = (static_cast<std::int64_t>(pageNumber) - 1) * pageSize;
    if (pageNumber >= 1 && first < rows) {
        const std::int64_t end = std::min<std::int64_t>(first + pageSize, rows);
        const bool fromBack = first > rows / 2;
        const std::string sql =
            "select ap_info.* from (select ID from ap_info" + filter + orderBy(fromBack ? !ascending : ascending) +
            " limit ?2 offset ?3) as page_rows join ap_info on ap_info.ID=page_rows.ID" + orderBy(ascending);
        if (!impl_->Open(sql, {text, end - first, fromBack ? rows - end : first}))
            return false;
        page.resize(static_cast<std::size_t>(result.RowCount()));
        for (ap_info_stu& record : page) {
            store::ReadDeviceRow(result, record, codeset);
            result.NextRow();
        }
    }
    pageCount = rows / pageSize + (rows % pageSize != 0 ? 1 : 0);
    onlineCount += online;
    out.insert(out.end(), page.begin(), page.end());
    return true;
}

bool CSqlManagement::GetDeviceIps(std::vector<std::string>& out) {
    std::lock_guard guard(impl_->lock);
    if (!impl_->database.IsConnected())
        return false;
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (result.OpenQuery("select ip from ap_info")) {
        std::string ip;
        for (int i = result.RowCount(); i > 0; --i, result.NextRow()) {
            result.ReadText("ip", ip);
            out.emplace_back(store::TrimBlanks(ip));
        }
    }
    return true;
}

bool CSqlManagement::GetDevice(std::string_view mac, ap_info_stu& out) {
    std::memset(&out, 0, sizeof out);
    const std::string codeset = platform::AnsiCodeset();
    std::lock_guard guard(impl_->lock);
    QueryScope scope(impl_->result);
    // An empty MAC asks for whichever row comes first.
    const bool opened = mac.empty() ? impl_->Open("select * from ap_info limit 1", {})
                                    : impl_->Open("select * from ap_info where mac=?1", {mac});
    if (!opened)
        return false;
    if (impl_->result.RowCount() > 0)
        store::ReadDeviceRow(impl_->result, out, codeset);
    return true;
}

bool CSqlManagement::SaveDevice(const ap_info_stu& record) {
    const store::DeviceRowTexts texts(record, platform::AnsiCodeset());
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select * from ap_info where mac=?1", {std::string_view(texts.mac)}))
        return false;
    const bool begun = result.RowCount() > 0 ? result.BeginEdit() : result.BeginNewRow();
    return begun && store::WriteDeviceRow(result, record, texts) && result.CommitRow();
}

bool CSqlManagement::DeleteDevice(std::string_view mac) {
    std::lock_guard guard(impl_->lock);
    const SqlParam params[] = {mac};
    return impl_->ExecuteLocked("delete from ap_info where mac=?1", params);
}

bool CSqlManagement::UpdateHeartbeat(std::string_view ip, std::string_view mac, std::uint32_t upTime) {
    const std::uint32_t ipNum = store::IpNumber(ParseIp(ip));
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select * from ap_info where mac=?1", {mac}) || result.RowCount() == 0)
        return false;
    return result.BeginEdit() && result.WriteUnsigned("up_time", upTime) && result.WriteText("mac", mac) &&
           result.WriteText("ip", ip) && result.WriteUnsigned("ip_num", ipNum) && result.CommitRow();
}

int CSqlManagement::GetDeviceStatus(std::string_view mac) {
    std::lock_guard guard(impl_->lock);
    QueryScope scope(impl_->result);
    int status = 0;
    if (impl_->Open("select ap_status from ap_info where mac=?1", {mac}) && impl_->result.RowCount() > 0)
        impl_->result.ReadInt("ap_status", status);
    return status;
}

bool CSqlManagement::SetDeviceStatus(std::string_view mac, int status) {
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select * from ap_info where mac=?1", {mac}) || result.RowCount() == 0)
        return false;
    return result.BeginEdit() && result.WriteInt("ap_status", status) && result.WriteText("mac", mac) &&
           result.CommitRow();
}

bool CSqlManagement::HasUpgradeWaitStatus(std::string_view mac) {
    std::lock_guard guard(impl_->lock);
    QueryScope scope(impl_->result);
    return impl_->Open("select * from ap_info where mac=?1 and ap_status=?2",
                       {mac, std::int64_t{kStatusUpgradeWait}}) &&
           impl_->result.RowCount() > 0;
}

bool CSqlManagement::MarkUpgrading(std::string_view mac) {
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select * from ap_info where mac=?1 and ap_status=?2", {mac, std::int64_t{kStatusUpgradeWait}}) ||
        result.RowCount() == 0)
        return false;
    return result.BeginEdit() && result.WriteInt("ap_status", kStatusUpgrading) && result.WriteText("mac", mac) &&
           result.CommitRow();
}

bool CSqlManagement::HasBridgedStations(std::string_view mac) {
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select ssid_mac from ap_info where mac=?1", {mac}) || result.RowCount() == 0)
        return false;
    std::string ssidMac;
    result.ReadText("ssid_mac", ssidMac);
    const std::string apMac(store::TrimBlanks(ssidMac));
    result.CloseQuery();
    return impl_->Open("select mac from ap_info where work_mode=?1 and bridge_mac=?2",
                       {std::int64_t{kModeStation}, std::string_view(apMac)}) &&
           result.RowCount() > 0;
}

bool CSqlManagement::FindBridgePeer(std::string_view mac, std::string& peerMac) {
    const std::string codeset = platform::AnsiCodeset();
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select work_mode,ssid_mac,bridge_mac from ap_info where mac=?1", {mac}) || result.RowCount() == 0)
        return false;
    int workMode = 0;
    std::string ssidMac, bridgeMac;
    result.ReadInt("work_mode", workMode);
    result.ReadText("ssid_mac", ssidMac);
    result.ReadText("bridge_mac", bridgeMac);
    const std::string ownMac(store::TrimBlanks(ssidMac));
    const std::string apMac(store::TrimBlanks(bridgeMac));
    result.CloseQuery();
    const bool opened = workMode == kModeStation
                            ? impl_->Open("select mac from ap_info where work_mode<>?1 and ssid_mac=?2",
                                          {std::int64_t{kModeStation}, std::string_view(apMac)})
                            : impl_->Open("select mac from ap_info where work_mode=?1 and bridge_mac=?2",
                                          {std::int64_t{kModeStation}, std::string_view(ownMac)});
    if (!opened || result.RowCount() == 0)
        return false;
    std::string peer;
    result.ReadText("mac", peer);
    peerMac = store::Utf8ToAnsi(store::TrimBlanks(peer), codeset);
    return true;
}

bool CSqlManagement::GetSurveyList(std::vector<config_otherwl_basic>& out) {
    const std::string codeset = platform::AnsiCodeset();
    std::lock_guard guard(impl_->lock);
    CADORecordset& result = impl_->result;
    QueryScope scope(result);
    if (!impl_->Open("select * from ap_other_info", {}))
        return false;
    for (int i = result.RowCount(); i > 0; --i, result.NextRow()) {
        config_otherwl_basic entry;
        store::ReadSurveyRow(result, entry, codeset);
        out.push_back(entry);
    }
    return true;
}

bool CSqlManagement::GetSurveyEntry(std::string_view mac, config_otherwl_basic& out) {
    std::memset(&out, 0, sizeof out);
    const std::string codeset = platform::AnsiCodeset();
    std::lock_guard guard(impl_->lock);
    QueryScope scope(impl_->result);
    if (!impl_->Open("select * from ap_other_info where mac=?1", {mac}))
        return false;
    if (impl_->result.RowCount() > 0)
        store::ReadSurveyRow(impl_->result, out, codeset);
    return true;
}

bool CSqlManagement::SaveSurveyPacket(const survey_packet& packet) {
    // The count comes from the device: never read past the entries the packet can hold.
    const std::size_t count = std::min<std::size_t>(packet.icount, kMaxSurveyEntries);
    const std::string codeset = platform::AnsiCodeset();
    std::lock_guard guard(impl_->lock);
    if (!impl_->database.IsConnected())
        return false;
    CADORecordset& result = impl_->result;
    int rows = 0;
    {
        QueryScope scope(result);
        if (!impl_->Open("select count(*) as row_count from ap_other_info", {}) || !result.ReadInt("row_count", rows))
            return false;
    }
    bool all = true;
    impl_->database.BeginTransaction();
    for (std::size_t i = 0; i < count; ++i) {
        const config_otherwl_basic& entry = packet.entries[i];
        const std::string mac = FormatMac(entry.mac);
        QueryScope scope(result);
        if (!impl_->Open("select * from ap_other_info where mac=?1", {std::string_view(mac)})) {
            all = false;
            continue;
        }
        const bool known = result.RowCount() > 0;
        // Survey packets arrive unasked from anyone on the network: a full table takes no more.
        if (!known && rows >= kMaxSurveyRows) {
            all = false;
            continue;
        }
        rows += known ? 0 : 1;
        const bool begun = known ? result.BeginEdit() : result.BeginNewRow();
        all &= begun && store::WriteSurveyRow(result, packet, entry, codeset) && result.CommitRow();
    }
    impl_->database.CommitTransaction();
    return all;
}

bool CSqlManagement::ClearSurvey() {
    std::lock_guard guard(impl_->lock);
    return impl_->ExecuteLocked("delete from ap_other_info");
}

}  // namespace cpe
