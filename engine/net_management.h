// CNetManagement: the protocol engine. It owns four UDP sockets, three receiver threads that
// filter and queue datagrams, three workers that unscramble and dispatch them, and the `ager`
// thread that drops devices whose heartbeats stopped. Devices become online-list entries and
// device-store rows here; pages send their requests through this object and read the results from
// the store and the online list.
//
// Threads and locks: each queue has its own lock, held only to append or swap; the online list
// and the adapter source have one lock each. None of them is held while sending or while calling
// the store, and no two are ever held together.
//
// Local ports (defaults; tests and the device simulator may move them, the program never does):
//   discovery    9786  sends the discovery broadcast (broadcast allowed); nothing is read
//   searchReply  9785  receives search replies (type 1 only)            -> worker 1
//   heartbeat    9787  receives heartbeats (type 15 only), sends acks   -> worker 2
//   request      9788  receives every reply type, sends every request   -> worker 3
// Which type goes to which handler is the message table (message_table.cpp).
// Devices listen on 9786 (discovery) and 9787 (everything else).
#pragma once

#include <netinet/in.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/adapter_source.h"
#include "engine/device_observer.h"
#include "engine/online_list.h"
#include "engine/record_queue.h"
#include "protocol/packet.h"
#include "protocol/records.h"

namespace cpe {

class CSqlManagement;

// One received datagram, as queued between a receiver and its worker.
struct recv_record {
    sockaddr_in from;                   // sender; port and address in network order
    std::uint8_t packet[kMaxDatagram];  // the datagram, zero-filled after `size` bytes
    std::uint16_t size;                 // bytes received
};

enum class SocketRole : std::uint8_t { kDiscovery = 0, kSearchReply = 1, kHeartbeat = 2, kRequest = 3 };
// What a socket of that role is for, in words ("search replies").
std::string_view SocketPurpose(SocketRole role);
// The three receiving ports, in receiver/worker order.
enum class PortRole : std::uint8_t { kSearchReply = 0, kHeartbeat = 1, kRequest = 2 };

struct EngineEndpoints {
    std::string bindAddress = "0.0.0.0";
    std::uint16_t discoveryPort = 9786;  // 0 lets the system choose (tests)
    std::uint16_t searchReplyPort = 9785;
    std::uint16_t heartbeatPort = 9787;
    std::uint16_t requestPort = 9788;
    std::uint16_t deviceDiscoveryPort = 9786;
    std::uint16_t deviceCommandPort = 9787;
};

// Replaces the sockets for every datagram the engine sends (tests): the socket it would leave
// from, the destination, the message type and the unscrambled payload. Returns the send result.
using SendHook = std::function<bool(SocketRole from, std::string_view ip, std::uint16_t port, std::uint16_t type,
                                    std::span<const std::uint8_t> payload)>;

struct EngineConfig {
    EngineEndpoints endpoints;
    // Null: the local-adapter library from the program folder (or the system search path).
    std::shared_ptr<AdapterSource> adapters;
    SendHook sendHook;
    // Datagrams and bytes each port may hold, queued or in its worker's hands; beyond either,
    // datagrams are dropped and counted. A search to 10,000 devices brings 10,000 replies to the
    // search-reply queue and 20,000 (their summaries and device records, about 9 MiB) to the reply
    // queue, which drains at the store's pace; the bounds leave room for that while a flood at all
    // ports holds the three of them under 36 MiB.
    std::size_t queueCapacity = 65536;
    std::size_t queueBytes = 12 * 1024 * 1024;
    // Devices the online list may hold; replies of further devices are refused and counted.
    std::size_t onlineCapacity = COnlineList::kDefaultCapacity;
    std::chrono::milliseconds agePeriod{10000};
};

// Datagrams read, discarded or cut short, per receiving port, and discovery broadcasts sent.
struct EngineCounters {
    std::array<std::uint64_t, 3> received{};      // every datagram read from the port's socket
    std::array<std::uint64_t, 3> rejected{};      // failed the size, magic or type check
    std::array<std::uint64_t, 3> dropped{};       // arrived while the queue was full
    std::array<std::uint64_t, 3> shortPayload{};  // handled with less payload than their type has
    std::uint64_t onlineFull = 0;                 // search replies of new devices refused by a full list
    std::uint64_t searches = 0;                   // Search calls: one broadcast to every subnet each
};

// How Start ended: started, or the first step that failed with the system's error code. A port
// step names the socket and the local port it was to be bound to, so a caller can tell the
// operator which port another program holds.
struct EngineStartResult {
    enum class Step : std::uint8_t { kNone, kWakePipe, kSocket, kSocketOption, kBind, kThread };
    Step failed = Step::kNone;
    SocketRole role = SocketRole::kDiscovery;  // with kSocket, kSocketOption and kBind
    std::uint16_t port = 0;                    // the port asked for; 0 when the system chooses
    int error = 0;                             // errno of the failing call

    bool Started() const { return failed == Step::kNone; }
    explicit operator bool() const { return Started(); }
    bool ConcernsPort() const {
        return failed == Step::kSocket || failed == Step::kSocketOption || failed == Step::kBind;
    }
    // Another socket holds the address: another program (or another copy) owns the port.
    bool PortInUse() const { return failed == Step::kBind && error == EADDRINUSE; }
    // One English line for logs and the command line, e.g.
    // "cannot bind UDP port 9785 (search replies): Address already in use".
    std::string Describe() const;
};

// A selected device of the reboot and restore pages.
struct DeviceTarget {
    std::string mac;
    std::string ip;
};

// The dotted-quad text of a sender's address.
std::string SenderIpText(const sockaddr_in& from);

class CNetManagement {
public:
    // The process-wide engine over the process-wide store; built on first call, shut down at
    // process exit (before the store, which it creates first).
    static CNetManagement& GetInstance();

    // An engine writing to `store`. The configuration places it (tests, the device simulator);
    // the program always runs with the defaults. The adapter source is loaded here.
    CNetManagement(CSqlManagement& store, EngineConfig config = {});
    ~CNetManagement();
    CNetManagement(const CNetManagement&) = delete;
    CNetManagement& operator=(const CNetManagement&) = delete;

    // Opens the four sockets (discovery, searchReply, heartbeat, request) and starts the seven
    // threads. Stops at the first failure and says which step failed, leaving what was opened.
    EngineStartResult Start();
    // Stops and joins every thread, then closes the sockets. Idempotent; also run on destruction.
    void Shutdown();
    // The port a socket is bound to (useful when the configuration asked for port 0), or 0.
    std::uint16_t LocalPort(SocketRole role) const;

    // --- discovery ----------------------------------------------------------------------
    // Broadcasts a search on every local subnet, or to 255.255.255.255 without adapters.
    void Search();
    void ClearDiscovered();
    // Fills `out` with up to `max` devices seen but not yet identified (ap_status 10).
    void GetDiscovered(std::vector<ap_info_stu>& out, std::size_t max, std::string_view filter = {});
    std::vector<ap_online_stu> OnlineList() const;
    // One ageing tick: identified devices whose heartbeats stopped leave the list and the store.
    void AgeOnlineList();

    // Set when the last packet of a site survey arrives; the bridge page clears it before it
    // asks for a survey and the wizard polls it.
    bool SurveyComplete() const { return surveyComplete_.load(); }
    void ClearSurveyComplete() { surveyComplete_.store(false); }
    // Starts the survey of the device `mac`: the completion flag and the site-survey table are
    // cleared together, and from then on only that device's survey packets are kept, so a late
    // reply to the survey of another device never shows in this one. Until the first survey
    // begins, the packets of every device are kept.
    void BeginSurvey(std::string_view mac);
    // The model chosen for an upgrade (1 until set); decides how upgrade_state 0 is read.
    void SetUpgradeModelCode(int model) { upgradeModel_.store(model); }
    int UpgradeModelCode() const { return upgradeModel_.load(); }

    // --- commands -----------------------------------------------------------------------
    // Sends one request to the device's command port from the request socket.
    bool SendCommand(std::string_view ip, MessageType type, std::span<const std::uint8_t> payload = {});
    // Remembers the address a set_ip request moves an identified device to.
    void SetPendingIp(std::string_view mac, std::string_view currentIp, std::string_view newIp);
    // A set_ip reply from the device's current address moves its entry to the pending address.
    void ApplyPendingIp(std::string_view mac, std::string_view senderIp);
    // Sends reboot or restore to the selection: first to the devices that have stations bridged
    // to them, then, 200 ms later, to the rest in selection order. Stops early when `stop` is
    // requested. Returns the number of requests sent.
    std::size_t SendRebootRestore(std::vector<DeviceTarget> selection, MessageType type, std::stop_token stop = {});
    // Renames the device at ip: set_name with `ansiName` (local code set) in the device's form,
    // then, kRenameRecordDelay later unless stopped, get_info. The device does not answer
    // set_name and an identified device is never asked for its record again, so without the
    // record's reply the store would keep showing the old name.
    void SendRename(std::string_view ip, std::string_view ansiName, std::stop_token stop = {});
    static constexpr std::chrono::milliseconds kRenameRecordDelay{300};

    // --- adapters -----------------------------------------------------------------------
    // The usable adapters (in use, addressed), in the source's order.
    std::vector<adapter_record> QueryAdapters();
    std::vector<std::string> BroadcastAddresses();
    // One local address per distinct address sharing a subnet with at least one target IP.
    std::vector<LocalAddress> LocalAddressesFor(const std::vector<std::string>& targetIps);

    // --- datagram path (workers; public so tests and fuzzers can drive it without sockets) ---
    // The receive filter of a port: size, magic and type. Fills `out` when accepted.
    static bool AcceptDatagram(PortRole port, const sockaddr_in& from, std::span<const std::uint8_t> datagram,
                               recv_record& out);
    // Unscrambles the record's payload (never beyond what was received) and dispatches it.
    void DispatchRecord(PortRole port, recv_record record) { Dispatch(port, record); }
    // Filter and dispatch in one step, on the caller's thread. False when filtered out.
    bool ProcessDatagram(PortRole port, const sockaddr_in& from, std::span<const std::uint8_t> datagram);

    EngineCounters Counters() const;
    std::uint8_t PayloadKey() const { return key_; }

    // The listener told of every accepted record, heartbeat and aged-out device (the fleet
    // inventory); null detaches it. A call in progress keeps the old listener alive until it
    // returns, so its owner may detach and drop it at any time.
    void SetDeviceObserver(std::shared_ptr<DeviceObserver> observer);

private:
    // Payload of an unscrambled record, cut to what was received.
    struct Incoming {
        const sockaddr_in& from;
        const packet_header& header;
        std::span<const std::uint8_t> payload;
    };

    // One row of the message table: the port a message type arrives on, the payload bytes its
    // handler reads, and the handler. A shorter payload is still handled (the handler reads
    // zeros or ignores it, as each one says) and counted.
    struct MessageRoute {
        MessageType type;
        PortRole port;
        std::size_t minPayload;
        void (CNetManagement::*handler)(const Incoming&);
    };
    // The row of a type arriving on a port, or null.
    static const MessageRoute* FindRoute(PortRole port, std::uint16_t type);
    // The receive filter: size 16..1472, the magic, and a type with a row for the port; the
    // request port lets every type through, and types without a row there have no effect.
    static bool PassesFilter(PortRole port, std::span<const std::uint8_t> datagram);

    class SocketHandle {
    public:
        SocketHandle() = default;
        ~SocketHandle() { Reset(); }
        SocketHandle(const SocketHandle&) = delete;
        SocketHandle& operator=(const SocketHandle&) = delete;
        int Get() const { return fd_.load(); }
        void Reset(int fd = -1);

    private:
        std::atomic<int> fd_{-1};
    };

    EngineStartResult OpenSocket(SocketRole role, std::uint16_t port, bool broadcast, int bufferBytes);
    bool OpenWakePipe();
    void StopThreads();
    void ReceiverLoop(PortRole port);
    void WorkerLoop(PortRole port);
    void AgerLoop();
    void Dispatch(PortRole port, recv_record& record);
    bool Send(SocketRole from, std::string_view ip, std::uint16_t port, MessageType type,
              std::span<const std::uint8_t> payload = {});

    void OnSearchReply(const Incoming& in);
    void OnHeartbeat(const Incoming& in);
    void OnDeviceInfo(const Incoming& in);
    void OnSurvey(const Incoming& in);
    void OnSetIpReply(const Incoming& in);
    void OnBridgeResult(const Incoming& in);
    void OnRestartResult(const Incoming& in);
    void OnRestoreResult(const Incoming& in);
    void OnUpgradeState(const Incoming& in);
    void OnUpgradePoll(const Incoming& in);
    std::shared_ptr<DeviceObserver> Observer() const;

    CSqlManagement& store_;
    const EngineConfig config_;
    const std::uint8_t key_;
    std::shared_ptr<AdapterSource> adapters_;
    std::mutex adapterMutex_;

    std::array<SocketHandle, 4> sockets_;
    std::array<int, 2> wakePipe_{-1, -1};
    std::array<DatagramQueue, 3> queues_;
    std::array<std::atomic<std::uint64_t>, 3> received_{};
    std::array<std::atomic<std::uint64_t>, 3> rejected_{};
    std::array<std::atomic<std::uint64_t>, 3> shortPayload_{};
    std::vector<std::thread> threads_;
    std::atomic<std::uint64_t> searches_{0};
    std::atomic<bool> stopping_{false};
    std::mutex agerMutex_;
    std::condition_variable agerWake_;

    COnlineList online_;
    std::atomic<int> upgradeModel_{1};
    std::atomic<bool> surveyComplete_{false};
    // Held from the check of a survey packet's sender to its store write, so a new survey's
    // clear never lands between the two. Taken before the store's lock, never after.
    std::mutex surveyMutex_;
    std::string surveyDevice_;  // MAC text of the device surveyed; empty before the first survey
    // Held only to copy or replace the pointer; never around a call of the observer.
    mutable std::mutex observerMutex_;
    std::shared_ptr<DeviceObserver> observer_;
};

}  // namespace cpe
