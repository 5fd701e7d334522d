// The fixture of the tests that drive Zelvorn.exe's window.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "Version.h"
#include "WinTest.h"

namespace zelvorn::wintest {

// Zelvorn.exe started against a version server that publishes the running
// version, so that the window opens without a box.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kServer.SetMode(kVersionText));
    program_.emplace();
    main_ = program_->Main();
    ASSERT_NE(main_, nullptr) << "the window did not show";
  }
  HWND Of(Control control) const { return Child(main_, control); }

  // The program ended with 0, and its exit callback ran exactly once.
  void ExpectCleanExit() const {
    EXPECT_EQ(program_->ExitCode(), 0u) << "the program did not end, or not with 0";
    EXPECT_EQ(Slurp(program_->ExitLog()), "OnProgramExit\n") << "the exit callback runs exactly once";
  }

  std::optional<Program> program_;
  HWND main_ = nullptr;
};

}  // namespace zelvorn::wintest
