// Links are converted piece by piece; every piece boundary (a lead byte, a CR
// before its LF, a group of four, the frame, the final cut) must give the
// bytes that the codec and the text operations give on the whole text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "links/Links.h"
#include "tests/core/LinkModel.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

struct Streamed {
  StreamOutcome outcome;
  std::string out;
};

// Hands the input over in pieces of random sizes.
template <class Convert>
Streamed Stream(const std::string& input, std::mt19937& random, Convert convert) {
  std::size_t at = 0;
  const std::size_t largest = 1 + random() % 100000;
  const ReadPiece read = [&](char* buffer, std::size_t capacity) {
    const std::size_t n = std::min({capacity, input.size() - at, 1 + random() % largest});
    std::copy_n(input.data() + at, n, buffer);
    at += n;
    return n;
  };
  Streamed streamed{StreamOutcome::Converted, {}};
  const WritePiece write = [&](std::string_view piece) {
    streamed.out.append(piece);
    return true;
  };
  streamed.outcome = convert(read, write);
  return streamed;
}

const auto& kFormats = kLinkFormats;

std::string RandomBytes(std::mt19937& random, std::size_t n, const std::string& from) {
  std::string s(n, '\0');
  for (char& c : s) c = from.empty() ? static_cast<char>(random()) : from[random() % from.size()];
  return s;
}

TEST(LinkStream, EncodesLikeTheWholeText) {
  std::mt19937 random(76);
  const std::size_t sizes[] = {0, 1, 5, 56, 57, 58, 233471, 233472, 233473, 233482, 700001};
  for (const std::size_t size : sizes) {
    const std::string address = "http://" + RandomBytes(random, size, "");
    for (const LinkFormat* format : kFormats) {
      const Streamed s = Stream(address, random, [&](auto& read, auto& write) {
        return StreamPlainToLink(*format, read, write);
      });
      ASSERT_EQ(s.outcome, StreamOutcome::Converted);
      ASSERT_EQ(s.out, model::Link(*format, BytesToText(address))) << size;
      ASSERT_EQ(EncodeLink(*format, BytesToText(address)), s.out) << size;
    }
  }
  const Streamed wrong = Stream("HTTP://a", random, [](auto& read, auto& write) {
    return StreamPlainToLink(kQqdlLink, read, write);
  });
  EXPECT_EQ(wrong.outcome, StreamOutcome::WrongForm);
  EXPECT_EQ(wrong.out, "");
}

// Links made by the encoder, then damaged as pasting and web pages damage
// them: spaces, line breaks, full-width spaces, lone lead bytes, pads, "&".
TEST(LinkStream, DecodesDamagedLinksLikeTheWholeText) {
  std::mt19937 random(1926);
  const std::string noise[] = {" ", "\r", "\n", "\r\n", "\xA1\xA1", "\xB0", "=", "&", "\0"s, "\t", "%", "%2B", "%2f", "%3D"};
  for (int round = 0; round < 200; ++round) {
    const LinkFormat& format = *kFormats[random() % 3];
    const std::size_t size = round % 20 == 0 ? 300000 + random() % 200000 : random() % 3000;
    std::string link = EncodeLink(format, "http://" + RandomBytes(random, size, ""));
    const int damages = random() % 6;
    for (int d = 0; d < damages; ++d) {
      std::string bit = noise[random() % std::size(noise)];
      if (bit == "&" || bit == "\0"s) bit += RandomBytes(random, 3, "A=b");
      link.insert(format.scheme.size() + random() % (link.size() - format.scheme.size() + 1), bit);
    }
    if (round % 7 == 0) link.resize(format.scheme.size() + random() % (link.size() - format.scheme.size() + 1));

    const Streamed s = Stream(link, random, [](auto& read, auto& write) {
      return StreamLinkToPlain(kFormats, read, write);
    });
    ASSERT_EQ(s.outcome, StreamOutcome::Converted);
    ASSERT_EQ(s.out, model::Address(format, BytesToText(link))) << round;
    ASSERT_EQ(DecodeLink(format, BytesToText(link)), s.out) << round;
  }
}

TEST(LinkStream, DecodingPicksTheFirstMatchingSchemeOrRefuses) {
  std::mt19937 random(3);
  auto decode = [&](const std::string& link) {
    return Stream(link, random, [](auto& read, auto& write) {
      return StreamLinkToPlain(kFormats, read, write);
    });
  };
  EXPECT_EQ(decode("qqdl://ZnRwOi8vYS9i").out, "ftp://a/b");
  EXPECT_EQ(decode("thunder://QUFmdHA6Ly9hL1pa&1926").out, "ftp://a/");
  EXPECT_EQ(decode("Flashget://").out, "");
  EXPECT_EQ(decode("flashget://W0ZM").outcome, StreamOutcome::WrongForm);
  EXPECT_EQ(decode("qqdl:\0//YQ=="s).outcome, StreamOutcome::WrongForm);  // the text ends at the zero
  EXPECT_EQ(decode("").outcome, StreamOutcome::WrongForm);
}

// A read that fails is no end of the text: the conversion says so.
TEST(LinkStream, AFailedReadIsReported) {
  for (const std::size_t failAt : {0, 1}) {
    std::size_t calls = 0;
    const ReadPiece read = [&](char* buffer, std::size_t) -> std::size_t {
      if (calls++ == failAt) return SIZE_MAX;
      std::memcpy(buffer, "http://a/", 9);
      return 9;
    };
    const WritePiece write = [](std::string_view) { return true; };
    EXPECT_EQ(StreamPlainToLink(kQqdlLink, read, write), StreamOutcome::ReadFailed) << failAt;
    calls = 0;
    EXPECT_EQ(StreamLinkToPlain(kFormats, [&](char* buffer, std::size_t) -> std::size_t {
                if (calls++ == failAt) return SIZE_MAX;
                std::memcpy(buffer, "qqdl://YWJj", 11);
                return 11;
              }, write),
              StreamOutcome::ReadFailed)
        << failAt;
  }
}

}  // namespace
}  // namespace zelvorn
