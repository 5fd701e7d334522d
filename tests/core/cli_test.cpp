// zelvorn-cli as a script sees it: arguments, standard input, standard
// output, standard error and the exit status.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
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

// Runs zelvorn-cli with `input` as standard input, or with standard input
// and output taken from the paths given (a directory, /dev/full).
CliRun CliWith(std::vector<std::string> args, const std::string& input, const char* inPath, const char* outPath,
               const std::vector<std::pair<const char*, const char*>>& environment = {}) {
  // Tests run in parallel processes: each run has files of its own.
  static int runs = 0;
  const std::string base = testing::TempDir() + "cli_" + std::to_string(getpid()) + "_" + std::to_string(++runs);
  const std::string in = base + "_in", out = base + "_out", err = base + "_err";
  std::ofstream(in, std::ios::binary) << input;
  const pid_t pid = fork();
  if (pid == 0) {
    const int inFd = open(inPath != nullptr ? inPath : in.c_str(), O_RDONLY);
    const int outFd = open(outPath != nullptr ? outPath : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (inFd < 0 || outFd < 0 || errFd < 0 || dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0)
      _exit(127);
    for (const auto& [name, value] : environment) setenv(name, value, 1);
    std::vector<char*> argv{const_cast<char*>(ZELVORN_CLI)};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(ZELVORN_CLI, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, outPath != nullptr ? "" : Slurp(out), Slurp(err)};
  for (const std::string& file : {in, out, err}) std::remove(file.c_str());
  return run;
}

CliRun Cli(std::vector<std::string> args, const std::string& input = {}) {
  return CliWith(std::move(args), input, nullptr, nullptr);
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

std::string Qqdl(std::string_view address) { return EncodeLink(kQqdlLink, address); }

// Line mode prints each address as one line of UTF-8 text, or refuses it and
// goes on with the next; a refused text is a failure.
TEST(CliLineMode, PrintsAddressesAsTextOrRefusesThem) {
  struct Case {
    const char* name;
    std::string address;
    std::vector<std::string> options;
    std::string printed;  // empty: refused
  };
  const Case cases[] = {
      {"ascii", "http://a/b.zip", {}, "http://a/b.zip"},
      {"utf8 as it stands", "http://例子.cn/文件.zip", {}, "http://例子.cn/文件.zip"},
      {"gbk converted", "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip", {}, "http://例子.cn/文件.zip"},
      {"neither", "http://a/\xFF\xFE", {}, ""},
      {"line feed", "http://a/\nhttp://evil/", {}, ""},
      {"lone cr", "http://a/\rb", {}, ""},
      {"tab", "http://a/\tb", {}, ""},
      {"escape sequence", "http://a/\x1B[2J", {}, ""},
      {"osc title", "http://a/\x1B]0;x\x07", {}, ""},
      {"delete", "http://a/\x7F", {}, ""},
      // The UTF-8 bytes of 下载 read as 涓嬭浇 in GBK: --gbk forces that reading.
      {"reads both ways", "http://\xE4\xB8\x8B\xE8\xBD\xBD", {}, "http://下载"},
      {"forced gbk", "http://\xE4\xB8\x8B\xE8\xBD\xBD", {"--gbk"}, "http://涓嬭浇"},
      {"gbk refuses non-gbk", "http://a/\xFF", {"--gbk"}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"decode"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliRun run = Cli(args, Qqdl(c.address) + "\nqqdl://YQ==\n");
    EXPECT_EQ(run.status, c.printed.empty() ? 1 : 0) << c.name;
    EXPECT_EQ(run.out, (c.printed.empty() ? "" : c.printed + "\n") + "a\n") << c.name;
    if (c.printed.empty()) {
      EXPECT_NE(run.err.find("line 1: "), std::string::npos) << c.name << run.err;
      EXPECT_NE(run.err.find("--percent"), std::string::npos) << c.name << run.err;
    }
  }
}

// --percent: one ASCII line with the address's exact bytes.
TEST(CliLineMode, PercentWritesEveryOtherByteAsAnEscape) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://a/b.zip?x=1&y=~", "http://a/b.zip?x=1&y=~"},
      {"http://a/my file.zip", "http://a/my%20file.zip"},
      {"http://a/\n\x7F\x1B", "http://a/%0A%7F%1B"},
      {"http://\xC0\xFD/\xE4\xBE\x8B", "http://%C0%FD/%E4%BE%8B"},
      {"http://a/%E4%BE%8B%zz", "http://a/%E4%BE%8B%zz"},  // existing escapes stay as they are
  };
  for (const auto& [address, line] : cases) {
    const CliRun run = Cli({"decode", "--percent", Qqdl(address)});
    EXPECT_EQ(run.status, 0) << line;
    EXPECT_EQ(run.out, line + "\n");
  }
  EXPECT_EQ(Cli({"decode", "--percent", "--gbk", Qqdl("http://\xC0\xFD")}).out, "http://%E4%BE%8B\n");
  EXPECT_EQ(Cli({"to-qqdl", "--percent", "http://a"}).status, 2);
  EXPECT_EQ(Cli({"decode", "--percent", "--raw"}, "qqdl://YQ==").status, 2);
}

// A failed read or write is a failure, said on standard error, never an
// early end of the input taken for success.
TEST(CliFailures, ReadAndWriteErrorsExitWithOne) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"decode"}, {"decode", "--raw"}, {"to-qqdl", "--raw", "--gbk"}}) {
    const CliRun run = CliWith(args, "", "/", nullptr);  // a directory cannot be read
    EXPECT_EQ(run.status, 1) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("zelvorn-cli: cannot read standard input: "), std::string::npos) << run.err;
  }
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"--version"}, {"to-qqdl", "http://a"}}) {
    const CliRun run = CliWith(args, "", nullptr, "/dev/full");
    EXPECT_EQ(run.status, 1) << testing::PrintToString(args);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
  }
}

// A line longer than the limit is refused with a pointer to --raw; memory
// stays bounded and the next lines are still converted.
TEST(CliLineMode, RefusesLinesOverTheLimitAndGoesOn) {
  const std::string longLine = "qqdl://" + std::string((64u << 20) - 6, 'Y');
  const CliRun run = Cli({"decode"}, longLine + "\nqqdl://YQ==\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "a\n");
  EXPECT_NE(run.err.find("line 1: longer than 64 MiB; convert it with --raw"), std::string::npos) << run.err;
}

// A program that writes one link and waits for its answer gets it before
// zelvorn-cli waits for the next line.
TEST(CliLineMode, AnswersEachLineBeforeWaitingForTheNext) {
  int toCli[2], fromCli[2];
  ASSERT_EQ(pipe(toCli), 0);
  ASSERT_EQ(pipe(fromCli), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(toCli[0], 0);
    dup2(fromCli[1], 1);
    close(toCli[1]);
    close(fromCli[0]);
    execl(ZELVORN_CLI, ZELVORN_CLI, "decode", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(toCli[0]);
  close(fromCli[1]);
  for (const char* expected : {"ftp://a/b\n", "a\n"}) {
    const std::string link = expected[0] == 'a' ? "qqdl://YQ==\n" : "qqdl://ZnRwOi8vYS9i\n";
    ASSERT_EQ(write(toCli[1], link.data(), link.size()), static_cast<ssize_t>(link.size()));
    pollfd ready{fromCli[0], POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10000), 1) << "no answer while the input stays open";
    char answer[64] = {};
    ASSERT_GT(read(fromCli[0], answer, sizeof answer - 1), 0);
    EXPECT_EQ(std::string(answer), expected);
  }
  close(toCli[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  close(fromCli[0]);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// extract: the addresses of the links in files or standard input, one line
// each, and an exit status a script can act on.
TEST(CliExtract, PrintsEveryAddressAndSaysWhatItFound) {
  const std::string dir = testing::TempDir() + "extract_" + std::to_string(getpid()) + "_";
  const std::string page = dir + "page.html", none = dir + "none.txt";
  std::ofstream(page, std::ios::binary) << "<a href=\"" + Qqdl("http://a/1") + "\">1</a> and " +
                                               EncodeLink(kThunderLink, "http://\xC0\xFD/2") + ".\n";
  std::ofstream(none, std::ios::binary) << "no links here\n";

  const CliRun both = Cli({"extract", page, page});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(both.out, "http://a/1\nhttp://例/2\nhttp://a/1\nhttp://例/2\n");
  EXPECT_EQ(Cli({"extract", "--percent", page}).out, "http://a/1\nhttp://%C0%FD/2\n");
  EXPECT_EQ(Cli({"extract"}, "see " + Qqdl("http://a/1") + "\n").out, "http://a/1\n");

  const CliRun nothing = Cli({"extract", none});
  EXPECT_EQ(nothing.status, 1);
  EXPECT_EQ(nothing.out, "");
  const CliRun refused = Cli({"extract"}, Qqdl("http://a/\n") + " " + Qqdl("http://b/") + "\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "http://b/\n");
  EXPECT_NE(refused.err.find("standard input: link 1: "), std::string::npos) << refused.err;

  const CliRun missing = Cli({"extract", dir + "missing.html", page});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "http://a/1\nhttp://例/2\n");
  EXPECT_NE(missing.err.find("cannot read " + dir + "missing.html: "), std::string::npos) << missing.err;
  EXPECT_EQ(Cli({"extract", "--raw"}).status, 2);
}

// Without the system's GBK converter, every text that needs one says so
// instead of blaming the text; UTF-8 addresses need none.
TEST(CliFailures, AMissingGbkConverterIsSaidToBeMissing) {
  // The sanitizers' runtime must otherwise come first among preloaded libraries.
  const std::vector<std::pair<const char*, const char*>> noGbk = {
      {"LD_PRELOAD", ZELVORN_NO_GBK_CONVERTER}, {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"to-qqdl", "--gbk", "http://a"}, {"decode", Qqdl("http://\xC0\xFD")},
        {"decode", "--gbk", "qqdl://YQ=="}}) {
    const CliRun run = CliWith(args, "", nullptr, nullptr, noGbk);
    EXPECT_EQ(run.status, 1) << testing::PrintToString(args);
    EXPECT_NE(run.err.find("no GBK"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("not UTF-8"), std::string::npos) << run.err;
  }
  const CliRun utf8 = CliWith({"decode", Qqdl("http://例")}, "", nullptr, nullptr, noGbk);
  EXPECT_EQ(utf8.status, 0) << utf8.err;
  EXPECT_EQ(utf8.out, "http://例\n");
}

}  // namespace
}  // namespace zelvorn
