// zelvorn-cli: the window's six conversions for scripts and terminals, with
// the same bytes as the window's result box.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "Version.h"
#include "cli/Gbk.h"
#include "links/Conversions.h"
#include "links/Links.h"

namespace zelvorn {
namespace {

constexpr std::string_view kUsage =
    "Usage: zelvorn-cli COMMAND [--raw] [--gbk] [TEXT...]\n"
    "Converts download addresses to and from Thunder, FlashGet and QQ Whirlwind links.\n"
    "\n"
    "Commands:\n"
    "  to-thunder     plain address -> thunder://\n"
    "  to-flashget    plain address -> Flashget://\n"
    "  to-qqdl        plain address -> qqdl://\n"
    "  from-thunder   thunder:// -> plain address\n"
    "  from-flashget  Flashget:// -> plain address\n"
    "  from-qqdl      qqdl:// -> plain address\n"
    "  decode         whichever of thunder://, Flashget://, qqdl:// the text begins with\n"
    "\n"
    "Each TEXT is one text. Without TEXT, each line of standard input is one text\n"
    "(a CR before the LF belongs to the line ending) and each result is printed on\n"
    "one line: the CR LF breaks of a long link are left out of it.\n"
    "\n"
    "Options:\n"
    "  --raw       all of standard input (or the one TEXT) is one text, up to its\n"
    "              first zero byte; the result is written byte for byte with\n"
    "              nothing added, as the window's result box holds it\n"
    "  --gbk       UTF-8 in, GBK (code page 936) bytes converted, UTF-8 out, so\n"
    "              links match those made on Chinese Windows\n"
    "  --help      show this help\n"
    "  --version   show the version\n"
    "\n"
    "Exit status: 0 when every text was converted, 1 when a text had the wrong\n"
    "form or could not be converted, 2 for a usage error.\n";

enum class Direction { ToLink, FromLink };

struct Command {
  std::string_view name;
  Direction direction;
  const LinkFormat* format;  // none: decode, trying each scheme in turn
};

constexpr Command kCommands[] = {
    {"to-thunder", Direction::ToLink, &kThunderLink},
    {"to-flashget", Direction::ToLink, &kFlashGetLink},
    {"to-qqdl", Direction::ToLink, &kQqdlLink},
    {"from-thunder", Direction::FromLink, &kThunderLink},
    {"from-flashget", Direction::FromLink, &kFlashGetLink},
    {"from-qqdl", Direction::FromLink, &kQqdlLink},
    {"decode", Direction::FromLink, nullptr},
};

struct Options {
  const Command* command = nullptr;
  bool raw = false;
  bool gbk = false;
  std::vector<std::string_view> texts;
};

// What one text turned into, or why it could not.
struct Outcome {
  std::optional<Text> result;
  std::string_view error;
};

Outcome Convert(const Command& command, Text text) {
  if (command.direction == Direction::ToLink) {
    if (!CheckPlainAddress(text)) return {std::nullopt, kFormatErrorText};
    return {EncodeLink(*command.format, text), {}};
  }
  for (const LinkFormat* format : kLinkFormats) {
    if (command.format != nullptr && command.format != format) continue;
    if (HasScheme(*format, text)) return {DecodeLink(*format, text), {}};
  }
  return {std::nullopt, kFormatErrorText};
}

Outcome ConvertText(const Options& options, Text text) {
  // A text ends at its first zero byte, as in the window.
  text = BytesToText(std::move(text));
  if (options.gbk) {
    auto gbk = Utf8ToGbk(text);
    if (!gbk) return {std::nullopt, "the text is not UTF-8 that has a GBK form"};
    text = std::move(*gbk);
  }
  Outcome outcome = Convert(*options.command, std::move(text));
  if (options.gbk && outcome.result) {
    auto utf8 = GbkToUtf8(*outcome.result);
    if (!utf8) return {std::nullopt, "the result is not GBK text; convert it without --gbk"};
    outcome.result = std::move(*utf8);
  }
  return outcome;
}

bool WriteAll(std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

void ReportError(std::string_view where, std::string_view error) {
  std::fprintf(stderr, "zelvorn-cli: %.*s: %.*s\n", static_cast<int>(where.size()), where.data(),
               static_cast<int>(error.size()), error.data());
}

// Prints one result on a line of its own; a link loses its CR LF breaks,
// which the decoder skips anyway, so it means the same.
bool WriteLine(const Options& options, const Text& result) {
  const bool ok = WriteAll(options.command->direction == Direction::ToLink
                               ? ReplaceAll(result, "\r\n")
                               : result) &&
                  WriteAll("\n");
  return ok;
}

std::string ReadAll(std::FILE* in) {
  std::string data;
  std::size_t size = 0;
  data.resize(1 << 16);
  for (;;) {
    if (size == data.size()) data.resize(data.size() * 2);
    const std::size_t got = std::fread(data.data() + size, 1, data.size() - size, in);
    if (got == 0) break;
    size += got;
  }
  data.resize(size);
  return data;
}

bool ReadLine(std::FILE* in, std::string& line) {
  line.clear();
  int c;
  while ((c = std::getc(in)) != EOF) {
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (c == EOF && line.empty()) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// All of standard input as one text, converted piece by piece, so that a
// long text is never held in memory whole.
bool StreamRaw(const Command& command, bool& converted) {
  const ReadPiece read = [](char* buffer, std::size_t capacity) {
    return std::fread(buffer, 1, capacity, stdin);
  };
  const WritePiece write = [](std::string_view piece) { return WriteAll(piece); };
  StreamOutcome outcome;
  if (command.direction == Direction::ToLink) {
    outcome = StreamPlainToLink(*command.format, read, write);
  } else if (command.format != nullptr) {
    outcome = StreamLinkToPlain(std::span(&command.format, 1), read, write);
  } else {
    outcome = StreamLinkToPlain(kLinkFormats, read, write);
  }
  if (outcome == StreamOutcome::WrongForm) {
    ReportError("standard input", kFormatErrorText);
    converted = false;
  }
  return outcome != StreamOutcome::WriteFailed;
}

int Usage(std::string_view problem) {
  std::fprintf(stderr, "zelvorn-cli: %.*s\nTry 'zelvorn-cli --help'.\n",
               static_cast<int>(problem.size()), problem.data());
  return 2;
}

int Run(int argc, char** argv) {
  Options options;
  std::vector<std::string> gbkArguments;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;  // what follows is text
    if (arg == "--help") return WriteAll(kUsage) ? 0 : 1;
    if (arg == "--version") return WriteAll(std::string("zelvorn-cli ") + kVersionNumber + "\n") ? 0 : 1;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg == "--raw") {
      options.raw = true;
    } else if (!optionsEnd && arg == "--gbk") {
      options.gbk = true;
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option '" + std::string(arg) + "'");
    } else if (options.command == nullptr) {
      for (const Command& command : kCommands) {
        if (command.name == arg) options.command = &command;
      }
      if (options.command == nullptr) return Usage("unknown command '" + std::string(arg) + "'");
    } else {
      options.texts.push_back(arg);
    }
  }
  if (options.command == nullptr) return Usage("no command given");
  if (options.gbk) {
    // The same texts again, as UTF-8 where the platform gave them otherwise.
    gbkArguments = Utf8Arguments(argc, argv);
    for (std::string_view& text : options.texts) {
      const auto index = static_cast<std::size_t>(std::find(argv, argv + argc, text.data()) - argv);
      if (index >= 1 && index <= gbkArguments.size()) text = gbkArguments[index - 1];
    }
  }
  if (options.raw && options.texts.size() > 1) return Usage("--raw takes one text at most");

#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif

  bool allConverted = true;
  auto handle = [&](std::string_view where, Text text, bool raw) {
    Outcome outcome = ConvertText(options, std::move(text));
    if (!outcome.result) {
      ReportError(where, outcome.error);
      allConverted = false;
      return true;
    }
    return raw ? WriteAll(*outcome.result) : WriteLine(options, *outcome.result);
  };

  bool written = true;
  if (options.raw && options.texts.empty() && !options.gbk) {
    written = StreamRaw(*options.command, allConverted);
  } else if (options.raw) {
    written = options.texts.empty() ? handle("standard input", ReadAll(stdin), true)
                                    : handle("argument", Text(options.texts[0]), true);
  } else if (!options.texts.empty()) {
    for (std::size_t i = 0; i < options.texts.size() && written; ++i)
      written = handle("argument " + std::to_string(i + 1), Text(options.texts[i]), false);
  } else {
    const bool interactive = isatty(fileno(stdin));
    std::string line;
    for (long number = 1; written && ReadLine(stdin, line); ++number) {
      written = handle("line " + std::to_string(number), std::move(line), false);
      if (interactive) std::fflush(stdout);
    }
  }
  if (std::fflush(stdout) != 0 || !written) {
    std::fprintf(stderr, "zelvorn-cli: cannot write the result: %s\n", std::strerror(errno));
    return 1;
  }
  return allConverted ? 0 : 1;
}

}  // namespace
}  // namespace zelvorn

int main(int argc, char** argv) { return zelvorn::Run(argc, argv); }
