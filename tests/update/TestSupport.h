// What the update-check tests share: the forum server's control files and a
// few helpers for files and waiting. Paths are Windows paths (Z: is the
// Linux root under Wine).
#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace zelvorn::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = 10s) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return pred();
}

inline long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// tests/update/version_server.py, started by the test fixture.
class ForumServer {
 public:
  explicit ForumServer(std::string dir) : dir_(std::move(dir)) {}

  // Returns once the server answers by the mode; forgets earlier requests.
  bool SetMode(const std::string& mode) const {
    std::ofstream(dir_ + "\\mode.new", std::ios::binary) << mode;
    MoveFileExA((dir_ + "\\mode.new").c_str(), (dir_ + "\\mode").c_str(), MOVEFILE_REPLACE_EXISTING);
    DeleteFileA((dir_ + "\\requests.log").c_str());
    return WaitFor([&] { return Slurp(dir_ + "\\state") == mode; }, 5s);
  }
  // Each request's line and headers as received, each ended by an empty line.
  std::string Requests() const { return Slurp(dir_ + "\\requests.log"); }

 private:
  std::string dir_;
};

}  // namespace zelvorn::testing
