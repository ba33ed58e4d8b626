#include "service/tftp_transfer.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace cpe::service {
namespace {

constexpr std::size_t kCacheBytes = 256 * 1024;
constexpr std::size_t kMaxDatagram = 65536;

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

}  // namespace

TftpTransfer::TftpTransfer(platform::UniqueFd socket, ServedFile file, TftpSettings settings, TransferRecord record,
                           RetransmitPolicy policy)
    : socket_(std::move(socket)),
      file_(std::move(file)),
      settings_(std::move(settings)),
      record_(std::move(record)),
      firstPeriod_(settings_.timeout.count() > 0
                       ? std::chrono::duration_cast<std::chrono::milliseconds>(settings_.timeout)
                       : policy.period),
      maxPeriod_(std::max(policy.maxPeriod, firstPeriod_)),
      giveUp_(policy.giveUp),
      period_(firstPeriod_),
      lastBlock_(static_cast<std::int64_t>(file_.size / settings_.blockSize) + 1) {
    SizeCache(false);
    headers_.resize(kTftpHeaderSize * settings_.windowSize);
    iov_.resize(2 * std::size_t{settings_.windowSize});
    messages_.resize(settings_.windowSize);
    if (!settings_.acknowledged.empty()) {
        oack_ = MakeOptionAck(settings_.acknowledged);
        acked_ = -1;
    }
}

void TftpTransfer::Begin(SteadyClock::time_point now) {
    heardAt_ = now;
    SendWindow(now);
}

void TftpTransfer::SendWindow(SteadyClock::time_point now) {
    windowEnd_ = acked_ < 0 ? 0 : std::min<std::int64_t>(acked_ + settings_.windowSize, lastBlock_);
    sendCursor_ = acked_ + 1;
    Pump(now);
}

void TftpTransfer::SizeCache(bool large) {
    const std::size_t block = settings_.blockSize;
    const std::size_t window = block * settings_.windowSize;
    // Whole blocks only, and room for at least one full window.
    const std::size_t size = large ? std::max(window, (kCacheBytes + block - 1) / block * block) : window;
    if (cache_.size() == size)
        return;
    cache_.resize(size);
    cache_.shrink_to_fit();
    cacheBytes_ = std::min(cacheBytes_, size);
}

std::size_t TftpTransfer::BlockLength(std::int64_t block) const {
    const std::uint64_t offset = static_cast<std::uint64_t>(block - 1) * settings_.blockSize;
    return static_cast<std::size_t>(std::min<std::uint64_t>(settings_.blockSize, file_.size - offset));
}

bool TftpTransfer::LoadBlocks(std::int64_t first, std::int64_t last) {
    const std::uint64_t begin = static_cast<std::uint64_t>(first - 1) * settings_.blockSize;
    const std::uint64_t end = static_cast<std::uint64_t>(last - 1) * settings_.blockSize + BlockLength(last);
    if (begin >= cacheOffset_ && end <= cacheOffset_ + cacheBytes_)
        return true;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(cache_.size(), file_.size - begin));
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = ::pread(file_.fd.Get(), cache_.data() + got, want - got, static_cast<off_t>(begin + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    cacheOffset_ = begin;
    cacheBytes_ = got;
    return end <= begin + got;
}

void TftpTransfer::Pump(SteadyClock::time_point now) {
    while (!finished_ && sendCursor_ <= windowEnd_) {
        if (sendCursor_ == 0) {
            if (::send(socket_.Get(), oack_.data(), oack_.size(), 0) < 0) {
                if (WouldBlock(errno))
                    break;
                return Finish(std::string("send failed: ") + std::strerror(errno));
            }
            sendCursor_ = 1;
            continue;
        }
        if (!LoadBlocks(sendCursor_, windowEnd_))
            return Finish("file changed while being sent");
        std::size_t count = 0;
        for (std::int64_t b = sendCursor_; b <= windowEnd_; ++b, ++count) {
            std::uint8_t* header = headers_.data() + count * kTftpHeaderSize;
            WriteTftpHeader(header, TftpOpcode::kData, static_cast<std::uint16_t>(b & 0xFFFF));
            const std::uint64_t offset = static_cast<std::uint64_t>(b - 1) * settings_.blockSize;
            iov_[2 * count] = {header, kTftpHeaderSize};
            iov_[2 * count + 1] = {cache_.data() + (offset - cacheOffset_), BlockLength(b)};
            messages_[count] = {};
            messages_[count].msg_hdr.msg_iov = &iov_[2 * count];
            messages_[count].msg_hdr.msg_iovlen = 2;
        }
        const int sent = ::sendmmsg(socket_.Get(), messages_.data(), static_cast<unsigned>(count), 0);
        if (sent < 0) {
            if (WouldBlock(errno))
                break;
            if (errno == EINTR)
                continue;
            return Finish(std::string("send failed: ") + std::strerror(errno));
        }
        sendCursor_ += sent;
    }
    wantsWritable_ = !finished_ && sendCursor_ <= windowEnd_;
    // The last period is cut short so that the client is given up when its time is out.
    deadline_ = std::min(now + period_, heardAt_ + giveUp_);
}

void TftpTransfer::OnWritable(SteadyClock::time_point now) { Pump(now); }

void TftpTransfer::OnReadable(SteadyClock::time_point now) {
    // One datagram per call: the loop calls again while more are waiting.
    static thread_local std::array<std::uint8_t, kMaxDatagram> buffer;
    ssize_t n;
    do {
        n = ::recv(socket_.Get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        // A refused port: the client is gone.
        if (!WouldBlock(errno))
            Finish(Unconfirmed(std::string("client unreachable: ") + std::strerror(errno)));
        return;
    }
    const auto header = ParseTftpHeader({buffer.data(), static_cast<std::size_t>(n)});
    if (!header)
        return;
    if (header->first == TftpOpcode::kAck) {
        OnAck(header->second, now);
    } else if (header->first == TftpOpcode::kError) {
        const auto* text = reinterpret_cast<const char*>(buffer.data() + kTftpHeaderSize);
        const std::size_t len = strnlen(text, static_cast<std::size_t>(n) - kTftpHeaderSize);
        Finish("client error " + std::to_string(header->second) + ": " + std::string(text, len));
    }
}

void TftpTransfer::OnAck(std::uint16_t number, SteadyClock::time_point now) {
    // The one block at or after the last acknowledged one that carries this number.
    const std::int64_t block = acked_ + ((number - (acked_ & 0xFFFF)) & 0xFFFF);
    if (block > windowEnd_)
        return;  // not sent yet, or an old acknowledgement from a wrapped number
    if (block == acked_) {
        // A repeated acknowledgement. In lock-step it is a duplicate and answering it would start
        // the sorcerer's apprentice; in a window it says the block after it was lost.
        if (settings_.windowSize > 1 && acked_ >= 0 && !resentOnDuplicate_ && sendCursor_ > windowEnd_) {
            resentOnDuplicate_ = true;
            SendWindow(now);
        }
        return;
    }
    acked_ = block;
    heardAt_ = now;
    period_ = firstPeriod_;
    resentOnDuplicate_ = false;
    record_.bytes = std::min<std::uint64_t>(file_.size, static_cast<std::uint64_t>(acked_) * settings_.blockSize);
    if (acked_ == lastBlock_)
        return Finish("ok");
    SizeCache(true);
    SendWindow(now);
}

void TftpTransfer::OnDeadline(SteadyClock::time_point now) {
    if (finished_ || now < deadline_)
        return;
    if (now - heardAt_ >= giveUp_)
        return Finish(Unconfirmed("timed out"));
    period_ = std::min(2 * period_, maxPeriod_);
    SizeCache(false);
    SendWindow(now);
}

std::string TftpTransfer::Unconfirmed(std::string why) const {
    // A client that has every block and whose last ACK was lost looks the same as one that
    // vanished; the log tells them apart for whoever reads it.
    if (windowEnd_ == lastBlock_ && sendCursor_ > windowEnd_)
        why += "; the final block was sent";
    return why;
}

void TftpTransfer::Finish(std::string result) {
    finished_ = true;
    wantsWritable_ = false;
    record_.result = std::move(result);
}

}  // namespace cpe::service
