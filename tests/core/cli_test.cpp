// zelvorn-cli as a script sees it: arguments, standard input, standard
// output, standard error and the exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "links/Links.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

CliRun Cli(std::vector<std::string> args, const std::string& input = {}) {
  const std::string dir = testing::TempDir();
  const std::string in = dir + "cli_in", out = dir + "cli_out", err = dir + "cli_err";
  std::ofstream(in, std::ios::binary) << input;
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(in.c_str(), "rb", stdin) || !freopen(out.c_str(), "wb", stdout) ||
        !freopen(err.c_str(), "wb", stderr))
      _exit(127);
    std::vector<char*> argv{const_cast<char*>(ZELVORN_CLI)};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(ZELVORN_CLI, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

const std::string kFormatError = "格式错误！请输入正确的地址！";

TEST(Cli, ConvertsEachArgumentOnALine) {
  const CliRun run = Cli({"to-thunder", "ftp://a/", "http://"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "thunder://QUFmdHA6Ly9hL1pa\nthunder://QUFodHRwOi8vWlo=\n");
  EXPECT_EQ(run.err, "");
}

TEST(Cli, DecodeTriesEachSchemeAndReportsWhichTextFailed) {
  const CliRun run = Cli({"decode"}, "thunder://QUFmdHA6Ly9hL1pa\r\n"
                                  "bogus\n"
                                  "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd&1926\n"
                                  "qqdl://ZnRwOi8vYS9i");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "ftp://a/\nftp://a/bc\nftp://a/b\n");
  EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(kFormatError), std::string::npos) << run.err;
}

TEST(Cli, LineModePrintsLongLinksOnOneLineAndRawModeByteForByte) {

  const std::string address = "http://x/" + std::string(200, 'y') + "\xB0\xA1";
  const Text link = EncodeLink(kFlashGetLink, address);
  ASSERT_NE(link.find("\r\n"), std::string::npos);

  const CliRun line = Cli({"to-flashget"}, address + "\n");
  EXPECT_EQ(line.out, ReplaceAll(link, "\r\n") + "\n");

  const CliRun raw = Cli({"to-flashget", "--raw"}, address + "\0ignored"s);
  EXPECT_EQ(raw.status, 0);
  EXPECT_EQ(raw.out, link);

  const CliRun back = Cli({"from-flashget", "--raw"}, link);
  EXPECT_EQ(back.out, address);
  EXPECT_EQ(Cli({"from-flashget"}, link.substr(0, link.find('\r')) + "\n").status, 0);
}

TEST(Cli, RawModeKeepsLineBreaksInTheAddress) {
  const CliRun run = Cli({"to-qqdl", "--raw"}, "http://a\r\nb\n");
  EXPECT_EQ(run.out, "qqdl://aHR0cDovL2ENCmIK");
  const CliRun empty = Cli({"from-qqdl", "--raw"}, "qqdl://");
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
}

TEST(Cli, GbkOptionMatchesLinksMadeOnChineseWindows) {
  const CliRun to = Cli({"to-qqdl", "--gbk", "http://中文"});
  EXPECT_EQ(to.out, "qqdl://aHR0cDovL9bQzsQ=\n");
  const CliRun from = Cli({"decode", "--gbk"}, "qqdl://aHR0cDovL9bQzsQ=\n");
  EXPECT_EQ(from.out, "http://中文\n");

  const CliRun noGbkForm = Cli({"to-qqdl", "--gbk", "http://\xF0\x9F\x98\x80"});  // an emoji
  EXPECT_EQ(noGbkForm.status, 1);
  EXPECT_EQ(noGbkForm.out, "");
  const CliRun notUtf8 = Cli({"to-qqdl", "--gbk", "http://\xD6\xD0"});
  EXPECT_EQ(notUtf8.status, 1);
  const CliRun notGbk = Cli({"from-qqdl", "--gbk", "qqdl://aHR0cDovL/8="});  // ends in 0xFF
  EXPECT_EQ(notGbk.status, 1);
  EXPECT_EQ(notGbk.out, "");
}

TEST(Cli, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"to-nowhere", "http://a"}, {"to-qqdl", "--bogus"}, {"to-qqdl", "--raw", "http://a", "http://b"}};
  for (const auto& args : cases) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
  }
  EXPECT_EQ(Cli({"--help"}).status, 0);
  EXPECT_EQ(Cli({"--version"}).out, "zelvorn-cli 1.3\n");
  // After "--" every argument is a text, options' names included.
  for (const char* text : {"--raw", "--help", "--version"}) {
    const CliRun run = Cli({"to-qqdl", "--", text});
    EXPECT_EQ(run.status, 1) << text;
    EXPECT_EQ(run.out, "") << text;
  }
}

}  // namespace
}  // namespace zelvorn
