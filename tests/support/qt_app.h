// One QApplication for the whole GUI test binary (offscreen platform set by the test runner).
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace cpe::test {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char arg0[] = "cpe_gui_test";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        m_app = std::make_unique<QApplication>(argc, argv);
        // Tests close windows freely; only the test binary decides when it ends.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

inline ::testing::Environment* const g_qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace cpe::test
