// zelvorn-cli.exe as Windows runs it: its arguments from the wide command
// line, standard input and output as bytes (no CR LF translation, no end
// at a Ctrl+Z), and its exit statuses.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "WinTest.h"

namespace zelvorn {
namespace {

using namespace wintest;

struct CliRun {
  DWORD status = 0xFFFFFFFF;
  std::string out, err;
};

// Runs zelvorn-cli.exe with the arguments (after the program's name, as
// UTF-16) and the bytes as its standard input, each stream a file.
CliRun RunCli(const std::wstring& arguments, const std::string& input = "") {
  static int serial = 0;
  const std::string base = kAppDir + "\\cli-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  std::ofstream(base + ".in", std::ios::binary) << input;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const auto open = [&](const std::string& path, DWORD access, DWORD creation) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, &inherit, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE in = open(base + ".in", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = open(base + ".out", GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = open(base + ".err", GENERIC_WRITE, CREATE_ALWAYS);
  for (HANDLE h : {in, out, err}) EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in, startup.hStdOutput = out, startup.hStdError = err;
  std::wstring line = L"\"" + Wide(kAppDir) + L"\\zelvorn-cli.exe\" " + arguments;
  PROCESS_INFORMATION process{};
  CliRun run;
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                     &process)) {
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE h : {in, out, err}) CloseHandle(h);
  run.out = Slurp(base + ".out");
  run.err = Slurp(base + ".err");
  for (const char* end : {".in", ".out", ".err"}) DeleteFileA((base + end).c_str());
  return run;
}

TEST(ZelvornCliExe, GbkTextsComeFromTheWideCommandLine) {
  const CliRun run = RunCli(Wide("to-qqdl --gbk http://例子.cn/文件.zip"));
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_EQ(run.out, "qqdl://aHR0cDovL8D919MuY24vzsS8/i56aXA=\n");
}

// A plain address with a line break and a Ctrl+Z in it, and a link long
// enough to carry CR LF breaks of its own: both ways through --raw, every
// byte as it came.
TEST(ZelvornCliExe, RawInputAndOutputAreBytes) {
  std::string address = "http://a/\x1A\r\n";
  while (address.size() < 300) address += "0123456789\r\n";
  const std::string link = ThunderLinkOf(address);
  ASSERT_NE(link.find("\r\n"), std::string::npos);

  const CliRun encoded = RunCli(L"to-thunder --raw", address);
  EXPECT_EQ(encoded.status, 0u) << encoded.err;
  EXPECT_TRUE(encoded.out == link) << encoded.out.size() << " bytes out, " << link.size() << " expected";

  const CliRun decoded = RunCli(L"from-thunder --raw", link);
  EXPECT_EQ(decoded.status, 0u) << decoded.err;
  EXPECT_TRUE(decoded.out == address) << decoded.out.size() << " bytes out, " << address.size() << " expected";
}

TEST(ZelvornCliExe, ExitStatusSaysWhatWentWrong) {
  struct Case {
    const wchar_t* arguments;
    DWORD status;
  } cases[] = {
      {L"to-thunder ftp://a/", 0},
      {L"to-thunder HTTP://a", 1},  // a text of the wrong form
      {L"to-qqdl --no-such-option ftp://a/", 2},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.arguments);
    EXPECT_EQ(run.status, c.status) << Utf8(c.arguments) << "\n" << run.err;
    if (c.status != 0) {
      EXPECT_EQ(run.out, "") << Utf8(c.arguments);
      EXPECT_NE(run.err, "") << Utf8(c.arguments);
    }
  }
}

}  // namespace
}  // namespace zelvorn
