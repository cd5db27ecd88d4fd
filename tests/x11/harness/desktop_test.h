// The GoogleTest fixture every X test derives from: a fresh desktop per test,
// and what the tools saw printed when a test fails.
#pragma once

#include "harness/desktop.h"
#include "input_helpers.h"

#include <gtest/gtest.h>
#include <iostream>

namespace vx::test {

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        desktop_ = Desktop::start({}, &error);
        ASSERT_TRUE(desktop_) << error;
    }
    void TearDown() override {
        if (HasFailure() && desktop_)
            std::cerr << desktop_->dump();
        desktop_.reset();
    }
    Desktop& desktop() { return *desktop_; }
    x11::Connection& c() { return desktop_->conn(); }
    // A connection of its own for the code under test, as the program has.
    std::unique_ptr<x11::Connection> openConnection() {
        std::string error;
        auto conn = x11::Connection::open(desktop().display(), &error);
        EXPECT_TRUE(conn) << error;
        return conn;
    }

    std::unique_ptr<Desktop> desktop_;
};

} // namespace vx::test
