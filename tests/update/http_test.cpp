// HttpGetBytes on WinINet against the tests' forum server on 127.0.0.1:
// what it sends, what it makes of each kind of answer, and how long a
// server can keep it waiting.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "WinTest.h"
#include "app/Http.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;
using namespace wintest;

const std::string kRoot = "http://127.0.0.1:" + kServerPort;
const std::string kVersionFile = kRoot + "/Pendrake/Zelvorn%B0%E6%B1%BE%BA%C5.txt";

TEST(HttpGetBytes, SendsAnHttp10GetWithTheOldBrowsersHeaders) {
  ASSERT_TRUE(kServer.SetMode("V1.3"));
  ASSERT_EQ(HttpGetBytes(kVersionFile + "#top"), "V1.3");
  const std::string request = kServer.Requests();
  // The fragment stays here; the path goes as written, percent escapes and all.
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "GET /Pendrake/Zelvorn%B0%E6%B1%BE%BA%C5.txt HTTP/1.0");
  for (const std::string& header : {"\r\nAccept: */*\r\n"s,
                                    "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"s,
                                    "\r\nHost: 127.0.0.1:" + kServerPort + "\r\n"})
    EXPECT_NE(request.find(header), std::string::npos) << header << " missing from\n" << request;
  EXPECT_EQ(request.find("\r\n\r\n"), request.size() - 4) << "one request only:\n" << request;
}

TEST(HttpGetBytes, AsksTheServerEveryTimeInsteadOfACache) {
  ASSERT_TRUE(kServer.SetMode("V1.3"));
  ASSERT_EQ(HttpGetBytes(kVersionFile), "V1.3");
  ASSERT_TRUE(kServer.SetMode("V1.4"));
  EXPECT_EQ(HttpGetBytes(kVersionFile), "V1.4");
  EXPECT_NE(kServer.Requests(), "");
}

// How long each kind of exchange may take: the limits it runs into, and a
// margin for Wine and a busy machine. An answer that waits for no limit
// comes well before the shortest.
constexpr std::chrono::milliseconds kMargin{700};
constexpr std::chrono::milliseconds kNoLimitReached = HttpLimits::kConnect;
constexpr std::chrono::milliseconds kFirstAnswerMissed = HttpLimits::kFirstAnswer + kMargin;
constexpr std::chrono::milliseconds kExchangeSpent = HttpLimits::kExchange + kMargin;
constexpr std::chrono::milliseconds kLongestWaitSpent = HttpLimits::kLongestWait + kMargin;

struct Exchange {
  const char* name;
  const char* mode;
  std::string address;
  std::optional<Bytes> body;
  std::chrono::milliseconds atMost;
};

std::ostream& operator<<(std::ostream& out, const Exchange& e) { return out << e.name; }

class HttpGetBytesAnswers : public ::testing::TestWithParam<Exchange> {};

TEST_P(HttpGetBytesAnswers, GivesTheBodyOfA200OrNothing) {
  const Exchange& e = GetParam();
  ASSERT_TRUE(kServer.SetMode(e.mode));
  const auto start = Clock::now();
  const std::optional<Bytes> body = HttpGetBytes(e.address);
  const std::chrono::milliseconds took = Since(start);
  if (e.body && body) {
    EXPECT_EQ(body->size(), e.body->size());
    EXPECT_TRUE(*body == *e.body) << "got " << body->substr(0, 40);
  } else {
    EXPECT_EQ(body.has_value(), e.body.has_value()) << (body ? body->substr(0, 40) : "nothing");
  }
  EXPECT_LE(took, e.atMost) << took.count() << " ms";
}

// A 64-character label is longer than DNS allows, so the name fails to
// resolve without any query leaving the machine.
const std::string kUnresolvable = "http://" + std::string(64, 'z') + ".invalid:" + kServerPort + "/";

INSTANTIATE_TEST_SUITE_P(
    ForumServer, HttpGetBytesAnswers,
    ::testing::Values(
        Exchange{"the_version_text", "V1.3", kVersionFile, "V1.3", kNoLimitReached},
        Exchange{"bytes_after_a_zero_byte_kept", "nul", kVersionFile, "V1.3\0V9.9 and more"s, kNoLimitReached},
        Exchange{"line_break_kept", "crlf", kVersionFile, "V1.3\r\n", kNoLimitReached},
        Exchange{"empty_body", "empty", kVersionFile, "", kNoLimitReached},
        Exchange{"exactly_64_KiB", "exact_cap", kVersionFile, std::string(65536, 'V'), kNoLimitReached},
        Exchange{"over_64_KiB_is_nothing", "over_cap", kVersionFile, std::nullopt, kNoLimitReached},
        Exchange{"error_page_is_nothing", "not_found", kVersionFile, std::nullopt, kNoLimitReached},
        Exchange{"other_path_is_a_404", "V1.3", kRoot + "/Pendrake/Zelvorn.txt", std::nullopt, kNoLimitReached},
        Exchange{"broken_off_answer_gives_what_came", "partial", kVersionFile, "V1.", kNoLimitReached},
        Exchange{"reset_before_any_byte_is_nothing", "reset", kVersionFile, std::nullopt, kNoLimitReached},
        Exchange{"no_answer_gives_up_after_the_first_answer_limit", "hang", kVersionFile, std::nullopt,
                 kFirstAnswerMissed},
        Exchange{"endless_answer_cut_at_the_exchange_limit", "trickle", kVersionFile, std::nullopt, kExchangeSpent},
        Exchange{"connection_refused", "down", kVersionFile, std::nullopt, kNoLimitReached},
        Exchange{"connection_never_accepted", "V1.3", "http://127.0.0.1:" + kStalledPort + "/", std::nullopt,
                 kLongestWaitSpent},
        Exchange{"name_that_does_not_resolve", "V1.3", kUnresolvable, std::nullopt, kNoLimitReached},
        Exchange{"empty_address", "V1.3", "", std::nullopt, kNoLimitReached},
        Exchange{"not_an_address", "V1.3", "Pendrake/Zelvorn.txt", std::nullopt, kNoLimitReached},
        Exchange{"scheme_not_served", "V1.3", "ftp://127.0.0.1:" + kServerPort + "/", std::nullopt,
                 kNoLimitReached}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace zelvorn
