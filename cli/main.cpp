// zelvorn-cli: the window's six conversions for scripts and terminals, with
// the same bytes as the window's result box, and `extract` for the links in
// any text.
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "Version.h"
#include "cli/AddressText.h"
#include "cli/Gbk.h"
#include "cli/Input.h"
#include "links/Conversions.h"
#include "links/Extract.h"
#include "links/Links.h"

namespace zelvorn {
namespace {

constexpr std::string_view kUsage =
    "Usage: zelvorn-cli COMMAND [--raw] [--gbk] [--percent] [TEXT...]\n"
    "  or:  zelvorn-cli extract [--percent] [--gbk] [FILE...]\n"
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
    "  extract        the address of every link in the FILEs (or standard input):\n"
    "                 web pages, Markdown, JSON, SQL dumps, chat logs\n"
    "\n"
    "Each TEXT is one text. Without TEXT, each line of standard input is one text\n"
    "(a CR before the LF belongs to the line ending; lines over 64 MiB are refused:\n"
    "convert them with --raw). Each result is printed on one line, as soon as it is\n"
    "ready: links without the CR LF breaks of long links, addresses as UTF-8 text\n"
    "(bytes that are UTF-8 as they stand, else GBK bytes converted). An address\n"
    "that is neither, or holds a control character, is refused: print it with\n"
    "--raw or --percent.\n"
    "A link's Base64 part ends at its first \"&\" or \"=\" and before whatever\n"
    "follows its last Base64 character, so text after a link is no part of it.\n"
    "\n"
    "Options:\n"
    "  --raw       all of standard input (or the one TEXT) is one text, up to its\n"
    "              first zero byte; the result is written byte for byte with\n"
    "              nothing added, as the window's result box holds it; long\n"
    "              texts stream through fixed buffers (with --gbk they are held\n"
    "              in memory)\n"
    "  --gbk       addresses are GBK (code page 936), as on Chinese Windows:\n"
    "              UTF-8 in, GBK bytes converted; GBK addresses out as UTF-8\n"
    "  --percent   (decoding commands and extract) every byte of an address that\n"
    "              is not printable ASCII, space included, as %XX: one ASCII line\n"
    "              with the exact bytes, for wget -i, aria2c -i and curl\n"
    "  --help      show this help\n"
    "  --version   show the version\n"
    "\n"
    "Exit status: 0 when every text was converted; 1 when a text had the wrong\n"
    "form, an address was refused, or reading or writing failed; 2 for a usage\n"
    "error. extract: 0 when it printed at least one address and refused none;\n"
    "1 when it found no link or refused an address; 2 for a usage error or a\n"
    "file that cannot be read.\n";

#ifdef _WIN32
constexpr int kOpenForReading = O_RDONLY | O_BINARY;
#else
constexpr int kOpenForReading = O_RDONLY;
#endif

// Longer lines are refused: a line is held in memory whole.
constexpr std::size_t kLineLimit = std::size_t{64} << 20;

enum class Direction { ToLink, FromLink, Extract };

struct Command {
  std::string_view name;
  Direction direction;
  const LinkFormat* format;  // none: every scheme, in the window's order

  // The formats a link may have, in the order they are tried.
  std::span<const LinkFormat* const> LinkFormats() const {
    return format != nullptr ? std::span(&format, 1) : std::span(kLinkFormats);
  }
};

constexpr Command kCommands[] = {
    {"to-thunder", Direction::ToLink, &kThunderLink},
    {"to-flashget", Direction::ToLink, &kFlashGetLink},
    {"to-qqdl", Direction::ToLink, &kQqdlLink},
    {"from-thunder", Direction::FromLink, &kThunderLink},
    {"from-flashget", Direction::FromLink, &kFlashGetLink},
    {"from-qqdl", Direction::FromLink, &kQqdlLink},
    {"decode", Direction::FromLink, nullptr},
    {"extract", Direction::Extract, nullptr},
};

struct Options {
  const Command* command = nullptr;
  bool raw = false;
  bool gbk = false;
  bool percent = false;
  std::vector<std::string_view> texts;
};

// Where a text came from, for the messages: "line 3", "argument 1",
// "page.html: link 2", or "standard input" without a number.
struct Where {
  std::string_view what;
  std::size_t number = 0;
};

void ReportError(const Where& where, std::string_view error) {
  std::fprintf(stderr, "zelvorn-cli: %.*s", static_cast<int>(where.what.size()), where.what.data());
  if (where.number > 0) std::fprintf(stderr, " %zu", where.number);
  std::fprintf(stderr, ": %.*s\n", static_cast<int>(error.size()), error.data());
}

bool WriteAll(std::string_view bytes) {
  // One thread writes: the stream's lock is not needed, and line mode writes
  // two pieces for each of millions of lines.
#if defined(__GLIBC__)
  return fwrite_unlocked(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
#else
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
#endif
}

// The end of every run: what could not be written is a failure too.
bool Flushed() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "zelvorn-cli: cannot write the result: %s\n", std::strerror(errno));
  return false;
}

class Converter {
 public:
  explicit Converter(const Options& options) : options_(options) {}

  // Converts one text and writes its line (or its bytes with --raw). False
  // when writing failed; a text that could not be converted is reported and
  // remembered.
  bool Text(const Where& where, std::string_view input) {
    input = input.substr(0, input.find('\0'));  // a text ends at its first zero byte, as in the window
    if (!Convert(where, input)) return true;
    if (options_.raw) return WriteAll(result_);
    if (options_.command->direction == Direction::FromLink) return Address(where, result_);
    // A link on one line: the CR LF breaks it carries every 76 characters
    // are skipped by every decoder anyway. (A link is ASCII: no CR is the
    // second byte of a character.)
    std::erase_if(result_, [](char c) { return c == '\r' || c == '\n'; });
    return WriteAll(result_) && WriteAll("\n");
  }

  // Writes an address on a line of its own, or refuses it.
  bool Address(const Where& where, std::string_view address) {
    PrintedAddress printed;
    if (options_.percent && options_.gbk) {
      if (Gbk(address)) {
        PercentEncode(converted_, percent_);
        printed.line = percent_;
      } else {
        printed.error = error_;
      }
    } else if (options_.percent) {
      PercentEncode(address, percent_);
      printed.line = percent_;
    } else {
      printed = AddressAsText(address, options_.gbk ? AddressCharset::Gbk : AddressCharset::Detect, converted_);
    }
    if (!printed.error.empty()) return Fail(where, printed.error), true;
    ++printed_;
    return WriteAll(printed.line) && WriteAll("\n");
  }

  void Fail(const Where& where, std::string_view error) {
    ReportError(where, error);
    failed_ = true;
  }
  void ReadFailed(std::string_view name, int error) {
    std::fprintf(stderr, "zelvorn-cli: cannot read %.*s: %s\n", static_cast<int>(name.size()), name.data(),
                 std::strerror(error));
    failed_ = true;
  }
  bool Failed() const { return failed_; }
  std::size_t Printed() const { return printed_; }

 private:
  // The result of one text into result_; false, reported, when there is none.
  bool Convert(const Where& where, std::string_view text) {
    const Command& command = *options_.command;
    result_.clear();
    if (command.direction == Direction::ToLink) {
      if (options_.gbk) {
        if (!GbkConverterAvailable()) return Fail(where, kNoGbkConverter), false;
        auto gbk = Utf8ToGbk(text);
        if (!gbk) return Fail(where, "the text is not UTF-8 that has a GBK form"), false;
        gbkText_ = std::move(*gbk);
        text = gbkText_;
      }
      if (!CheckPlainAddress(text)) return Fail(where, kFormatErrorText), false;
      encoder_.Reset(*command.format);
      encoder_.Feed(text, append_);
      encoder_.Finish(append_);
      return true;
    }
    const LinkFormat* format = FormatOfLink(command.LinkFormats(), text);
    if (format == nullptr) return Fail(where, kFormatErrorText), false;
    decoder_.Reset(*format);
    decoder_.Feed(text.substr(format->scheme.size()), append_);
    decoder_.Finish(append_);
    if (options_.raw && options_.gbk) {
      if (!Gbk(result_)) return Fail(where, error_), false;
      result_ = converted_;
    }
    return true;
  }

  // GBK bytes as UTF-8 into converted_; false, with error_ saying why.
  bool Gbk(std::string_view address) {
    if (!GbkConverterAvailable()) return error_ = kNoGbkConverter, false;
    auto utf8 = GbkToUtf8(address);
    if (!utf8) return error_ = "the address is not GBK text; convert it without --gbk", false;
    converted_ = std::move(*utf8);
    return true;
  }

  const Options& options_;
  bool failed_ = false;
  std::size_t printed_ = 0;
  std::string_view error_;
  // Kept from text to text, so that many short texts cost little.
  LinkEncoder encoder_{kThunderLink};
  LinkDecoder decoder_{kThunderLink};
  std::string result_, gbkText_, converted_, percent_;
  const WritePiece append_ = [this](std::string_view piece) {
    result_.append(piece);
    return true;
  };
};

int Usage(std::string_view problem) {
  std::fprintf(stderr, "zelvorn-cli: %.*s\nTry 'zelvorn-cli --help'.\n", static_cast<int>(problem.size()),
               problem.data());
  return 2;
}

// All of standard input as one text, converted piece by piece, so that a
// long text is never held in memory whole.
bool StreamRaw(const Command& command, Input& input, Converter& converter) {
  const ReadPiece read = [&input](char* buffer, std::size_t capacity) { return input.Read(buffer, capacity); };
  const WritePiece write = [](std::string_view piece) { return WriteAll(piece); };
  const StreamOutcome outcome = command.direction == Direction::ToLink
                                    ? StreamPlainToLink(*command.format, read, write)
                                    : StreamLinkToPlain(command.LinkFormats(), read, write);
  if (outcome == StreamOutcome::WrongForm) converter.Fail({"standard input"}, kFormatErrorText);
  if (outcome == StreamOutcome::ReadFailed) converter.ReadFailed("standard input", input.Error());
  return outcome != StreamOutcome::WriteFailed;
}

int Extract(const Options& options, Converter& converter) {
  bool unreadable = false;
  auto one = [&](std::string_view name, Input& input) {
    std::string text;
    if (input.ReadAll(text) == Input::Status::Failed) {
      converter.ReadFailed(name, input.Error());
      unreadable = true;
      return true;
    }
    const std::string what = std::string(name) + ": link";
    std::size_t number = 0;
    for (const ExtractedLink& link : ExtractLinks(text)) {
      if (!converter.Address({what, ++number}, link.address)) return false;
    }
    return true;
  };
  bool written = true;
  if (options.texts.empty()) {
    Input input(0);
    written = one("standard input", input);
  }
  for (std::string_view name : options.texts) {
    if (!written) break;
    const std::string path(name);
    const int fd = ::open(path.c_str(), kOpenForReading);
    if (fd < 0) {
      converter.ReadFailed(name, errno);
      unreadable = true;
      continue;
    }
    Input input(fd, true);
    written = one(name, input);
  }
  if (!Flushed() || !written) return 1;
  if (unreadable) return 2;
  if (converter.Printed() == 0 && !converter.Failed()) {
    std::fprintf(stderr, "zelvorn-cli: no link found\n");
    return 1;
  }
  return converter.Failed() ? 1 : 0;
}

int Run(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;  // what follows is text
    if (arg == "--help") return WriteAll(kUsage) && Flushed() ? 0 : 1;
    if (arg == "--version") return WriteAll(std::string("zelvorn-cli ") + kVersionNumber + "\n") && Flushed() ? 0 : 1;
  }
  Options options;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg == "--raw") {
      options.raw = true;
    } else if (!optionsEnd && arg == "--gbk") {
      options.gbk = true;
    } else if (!optionsEnd && arg == "--percent") {
      options.percent = true;
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
  const Direction direction = options.command->direction;
  if (options.percent && direction == Direction::ToLink) return Usage("--percent is for decoding commands and extract");
  if (options.percent && options.raw) return Usage("--percent and --raw are two ways to print bytes: choose one");
  if (options.raw && direction == Direction::Extract) return Usage("extract prints lines; --raw is for the conversions");
  if (options.raw && options.texts.size() > 1) return Usage("--raw takes one text at most");

  std::vector<std::string> utf8Arguments;
  if (options.gbk && direction != Direction::Extract) {
    // The same texts again, as UTF-8 where the platform gave them otherwise.
    utf8Arguments = Utf8Arguments(argc, argv);
    for (std::string_view& text : options.texts) {
      const auto index = static_cast<std::size_t>(std::find(argv, argv + argc, text.data()) - argv);
      if (index >= 1 && index <= utf8Arguments.size()) text = utf8Arguments[index - 1];
    }
  }

#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif

  Converter converter(options);
  if (direction == Direction::Extract) return Extract(options, converter);

  bool written = true;
  Input input(0);
  if (!options.texts.empty()) {
    for (std::size_t i = 0; i < options.texts.size() && written; ++i)
      written = converter.Text({"argument", options.raw ? 0 : i + 1}, options.texts[i]);
  } else if (options.raw && !options.gbk) {
    written = StreamRaw(*options.command, input, converter);
  } else if (options.raw) {
    std::string text;
    if (input.ReadAll(text) == Input::Status::Failed) {
      converter.ReadFailed("standard input", input.Error());
    } else {
      written = converter.Text({"standard input"}, text);
    }
  } else {
    std::string_view line;
    for (std::size_t number = 1; written; ++number) {
      const Input::Status status = input.NextLine(line, kLineLimit);
      if (status == Input::Status::End) break;
      if (status == Input::Status::Failed) {
        converter.ReadFailed("standard input", input.Error());
        break;
      }
      if (status == Input::Status::TooLong) {
        converter.Fail({"line", number}, "longer than 64 MiB; convert it with --raw");
        continue;
      }
      written = converter.Text({"line", number}, line);
    }
  }
  if (!Flushed() || !written) return 1;
  return converter.Failed() ? 1 : 0;
}

}  // namespace
}  // namespace zelvorn

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  return zelvorn::Run(argc, argv);
}
