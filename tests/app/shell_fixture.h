// What the shell's GUI tests share: one QApplication, a store on a temporary file and an engine
// on loopback that never sends (every datagram goes to a recording hook), pages that count what
// the page host asks of them, and a wait that keeps the event loop running.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/child_dlg.h"
#include "app/install_help_dlg.h"
#include "engine/net_management.h"
#include "pages/page_host.h"
#include "store/sql_management.h"
#include "tests/support/loopback_engine.h"
#include "tests/support/qt_app.h"
#include "tests/support/temp_dir.h"
#include "ui/dialog_template.h"

namespace cpe::test {

// Runs the event loop until `done` holds or `limit` passes; true when it held.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// A store on a temporary file and an engine on loopback ports chosen by the system, with no
// adapters; nothing it would send leaves the process.
class LoopbackServices {
public:
    // The store's file is "data.mdb" in a fresh temporary folder unless another is given; the
    // engine binds the given loopback ports (by default the system chooses).
    explicit LoopbackServices(std::filesystem::path storeFile = {},
                              EngineEndpoints endpoints = LoopbackEngineConfig().endpoints) {
        store_ = std::make_unique<CSqlManagement>(storeFile.empty() ? dir_ / "data.mdb" : storeFile);
        EngineConfig config = LoopbackEngineConfig();
        config.endpoints = std::move(endpoints);
        config.sendHook = [this](SocketRole, std::string_view, std::uint16_t, std::uint16_t,
                                 std::span<const std::uint8_t>) {
            std::lock_guard guard(lock_);
            ++sent_;
            return true;
        };
        engine_ = std::make_unique<CNetManagement>(*store_, config);
    }
    ~LoopbackServices() {
        engine_->Shutdown();
        engine_.reset();
        store_.reset();
    }

    CNetManagement& Engine() { return *engine_; }
    CSqlManagement& Store() { return *store_; }
    PageServices Services() { return {*engine_, *store_}; }
    const std::filesystem::path& Dir() const { return dir_.path(); }
    int Sent() {
        std::lock_guard guard(lock_);
        return sent_;
    }

private:
    TempDir dir_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<CNetManagement> engine_;
    std::mutex lock_;
    int sent_ = 0;
};

// A page that records what the page host asks of it.
class CountingPage : public CPageDlg {
public:
    CountingPage(int id, QWidget* parent, PageHostLink& host, PageServices services)
        : CPageDlg(id, parent, host, services) {
        BuildDialog(this, id);
    }
    void RefreshList() override { ++refreshes; }
    void OnPagerSelect(int page) override { pagerPages.push_back(page); }
    PageHostLink& Link() const { return Host(); }

    int refreshes = 0;
    std::vector<int> pagerPages;
};

// Counting pages for every page id, and the real install-help page.
inline CChildDlg::PageFactory CountingPages() {
    return [](int id, QWidget* parent, PageHostLink& host, PageServices services) -> CTDialog* {
        if (id == CInstallHelpDlg::kDialogId)
            return new CInstallHelpDlg(parent);
        return new CountingPage(id, parent, host, services);
    };
}

inline CountingPage* Counting(const CChildDlg& host, int id) { return dynamic_cast<CountingPage*>(host.PageById(id)); }

}  // namespace cpe::test
