// Any bytes as a pasted link: the decoder and the three decoding conversions
// must stay inside their buffers, keep their results well formed, and give
// the bytes of the codec and the text operations on the whole text, also
// when the text comes in small pieces.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <optional>

#include "links/Links.h"
#include "tests/core/LinkModel.h"

namespace {

void Check(bool ok, const char* what, const std::uint8_t* data, std::size_t size) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\ninput (%zu bytes):", what, size);
  for (std::size_t i = 0; i < size; ++i) std::fprintf(stderr, " %02X", data[i]);
  std::fprintf(stderr, "\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvorn;
  const Text text = BytesToText(std::string_view(reinterpret_cast<const char*>(data), size));
  Text cleaned = text;
  const Bytes decoded = Base64Decode(cleaned);
  Check(cleaned == ReplaceAll(RemoveAllSpaces(text), "\r\n"), "cleaned text", data, size);
  Check(decoded.size() <= 3 * ((cleaned.size() + 3) / 4), "cut larger than the buffer", data, size);

  for (const LinkFormat* format : kLinkFormats) {
    const auto address = DecodeLink(*format, text);
    Check(address.has_value() == HasScheme(*format, text), "scheme test", data, size);
    if (address) {
      Check(address->find('\0') == Text::npos, "zero byte in a text", data, size);
      Check(*address == model::Address(*format, text), "address of the whole text", data, size);
    }
    if (CheckPlainAddress(text)) {
      const Text link = EncodeLink(*format, text);
      Check(link == model::Link(*format, text), "link of the whole text", data, size);
      Check(DecodeLink(*format, link) == text, "round trip", data, size);
    }
  }

  // The command line's piecewise decoding gives the same bytes.
  const auto& formats = kLinkFormats;
  std::size_t at = 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const ReadPiece read = [&](char* buffer, std::size_t capacity) {
    const std::size_t n = std::min({capacity, input.size() - at, std::size_t{7}});
    input.copy(buffer, n, at);
    at += n;
    return n;
  };
  Text streamed;
  const WritePiece write = [&](std::string_view piece) {
    streamed.append(piece);
    return true;
  };
  const StreamOutcome outcome = StreamLinkToPlain(formats, read, write);
  std::optional<Text> whole;
  for (const LinkFormat* format : formats) {
    if (!whole) whole = DecodeLink(*format, text);
  }
  Check(outcome == (whole ? StreamOutcome::Converted : StreamOutcome::WrongForm), "stream outcome", data, size);
  if (whole) Check(streamed == *whole, "stream bytes", data, size);
  return 0;
}
