// The device store: the one object through which the protocol engine writes what devices report
// and the pages read devices back, paged, sorted and filtered. One lock serialises every
// operation; it is the innermost lock of the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/records.h"

namespace cpe {

class CSqlManagement {
public:
    // Sort codes of GetDevicePage.
    enum SortCode : int {
        kSortMac = 0,
        kSortIpNum,
        kSortApName,
        kSortApType,
        kSortWorkMode,
        kSortSsid,
        kSortChannel,
        kSortSecureMode,
        kSortTxPower,
        kSortVersion,
        kSortUpTime,
        kSortApStatus
    };

    // The process-wide store over "data.mdb" in the program folder (or the runtime folder when
    // the program folder is not writable); built on first call.
    static CSqlManagement& GetInstance();

    // A store over the given database file: deletes it, creates it afresh with the device
    // tables and opens it. The file is deleted again by the destructor. An empty path gives a
    // store that failed to open.
    explicit CSqlManagement(const std::filesystem::path& databaseFile);
    ~CSqlManagement();
    CSqlManagement(const CSqlManagement&) = delete;
    CSqlManagement& operator=(const CSqlManagement&) = delete;

    // Start-up asks this once: true when the database could not be opened; the text key of the
    // message to show is kOpenFailedKey.
    bool OpenFailed() const;
    static constexpr const char* kOpenFailedKey = "Failed to open database, unable to get data.";
    const std::filesystem::path& DatabaseFile() const;

    // Runs one statement in its own transaction.
    bool ExecuteSql(std::string_view statement);

    // One page of the devices whose searched columns contain searchText (UTF-8, taken
    // literally, without ASCII case), in the order of the sort code. pageCount is set and
    // onlineCount added to over the whole filtered result; out is appended to. An unknown sort
    // code or a page size below 1 returns false and touches nothing.
    bool GetDevicePage(int sortCode, bool ascending, int pageSize, int pageNumber, std::string_view searchText,
                       int& pageCount, int& onlineCount, std::vector<ap_info_stu>& out);
    bool GetDeviceIps(std::vector<std::string>& out);
    bool GetDevice(std::string_view mac, ap_info_stu& out);
    bool SaveDevice(const ap_info_stu& record);
    bool DeleteDevice(std::string_view mac);
    bool UpdateHeartbeat(std::string_view ip, std::string_view mac, std::uint32_t upTime);
    int GetDeviceStatus(std::string_view mac);
    bool SetDeviceStatus(std::string_view mac, int status);
    bool HasUpgradeWaitStatus(std::string_view mac);
    bool MarkUpgrading(std::string_view mac);
    bool HasBridgedStations(std::string_view mac);
    bool FindBridgePeer(std::string_view mac, std::string& peerMac);
    bool GetSurveyList(std::vector<config_otherwl_basic>& out);
    bool GetSurveyEntry(std::string_view mac, config_otherwl_basic& out);
    // Updates the rows of the packet's access points and adds the new ones while the table
    // holds fewer than kMaxSurveyRows (what one survey can carry: 255 packets of 32 entries);
    // false when an entry could not be stored.
    static constexpr int kMaxSurveyRows = 255 * 32;
    bool SaveSurveyPacket(const survey_packet& packet);
    bool ClearSurvey();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cpe
