#include "links/LinkStream.h"

#include <memory>
#include <string>

namespace zelvorn {
namespace {

// 4096 lines of Base64: a piece of the address is always whole lines.
constexpr std::size_t kPiece = 57 * 4096;

// The input as a text: it ends at its first zero byte.
class TextReader {
 public:
  explicit TextReader(const ReadPiece& read) : read_(read) {}

  // Fills the buffer, or reads to the end of the text.
  std::size_t Fill(char* buffer, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && !ended_) {
      const std::size_t got = read_(buffer + n, capacity - n);
      const std::string_view piece(buffer + n, got);
      const std::size_t zero = piece.find('\0');
      ended_ = got == 0 || zero != std::string_view::npos;
      n += zero != std::string_view::npos ? zero : got;
    }
    return n;
  }
  void End() { ended_ = true; }
  bool Ended() const { return ended_; }

 private:
  const ReadPiece& read_;
  bool ended_ = false;
};

// Passes on all but the last `keep` bytes of what goes through it.
class HoldBack {
 public:
  explicit HoldBack(std::size_t keep) : keep_(keep) {}

  template <class Next>
  bool Push(std::string_view in, Next&& next) {
    if (in.size() >= keep_) {
      const bool ok = (held_.empty() || next(std::string_view(held_))) &&
                      next(in.substr(0, in.size() - keep_));
      held_.assign(in.substr(in.size() - keep_));
      return ok;
    }
    held_.append(in);
    if (held_.size() <= keep_) return true;
    const std::size_t extra = held_.size() - keep_;
    const bool ok = next(std::string_view(held_).substr(0, extra));
    held_.erase(0, extra);
    return ok;
  }
  std::string_view Held() const { return held_; }

 private:
  std::size_t keep_;
  std::string held_;
};

// The decoded bytes on their way out: the codec's cut at the end, the text's
// end at its first zero byte, then the frame cut by position.
class DecodedOutput {
 public:
  DecodedOutput(const LinkFormat& format, const WritePiece& write)
      : skip_(format.frameBefore.size()), frameEnd_(format.frameAfter.size()), write_(write) {}

  bool Push(std::string_view bytes) {
    return beforeCut_.Push(bytes, [this](std::string_view b) { return ToText(b); });
  }

  bool Finish(std::size_t cut) {
    const std::string_view held = beforeCut_.Held();
    return ToText(held.substr(0, held.size() - std::min(cut, held.size())));
  }

 private:
  bool ToText(std::string_view bytes) {
    if (textEnded_) return true;
    const std::size_t zero = bytes.find('\0');
    textEnded_ = zero != std::string_view::npos;
    bytes = bytes.substr(0, zero);
    const std::size_t skipped = std::min(skip_, bytes.size());
    skip_ -= skipped;
    return frameAfter_.Push(bytes.substr(skipped), write_);
  }

  HoldBack beforeCut_{4};  // the codec cuts at most 4 bytes from the end
  std::size_t skip_;
  std::size_t frameEnd_;
  HoldBack frameAfter_{frameEnd_};
  bool textEnded_ = false;
  const WritePiece& write_;
};

}  // namespace

StreamOutcome StreamPlainToLink(const LinkFormat& format, const ReadPiece& read,
                                const WritePiece& write) {
  TextReader reader(read);
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  const auto text = std::make_unique_for_overwrite<char[]>(Base64EncodedLength(kPiece));
  // The first piece holds every prefix's bytes, or the whole text.
  std::size_t n = reader.Fill(piece.get(), kPiece);
  if (!CheckPlainAddress(std::string_view(piece.get(), n))) return StreamOutcome::WrongForm;

  // The framed address goes through `framed` in pieces of whole lines.
  std::string framed(format.frameBefore);
  framed.reserve(kPiece + format.frameAfter.size());
  NoWindow host;
  auto encode = [&](std::string_view bytes) {
    const char* end = Base64EncodeTo(text.get(), bytes, {}, host);
    return write(std::string_view(text.get(), static_cast<std::size_t>(end - text.get())));
  };
  if (!write(format.scheme)) return StreamOutcome::WriteFailed;
  for (;;) {
    const std::size_t room = kPiece - framed.size();
    framed.append(piece.get(), std::min(n, room));
    if (framed.size() == kPiece) {
      if (!encode(framed)) return StreamOutcome::WriteFailed;
      framed.assign(piece.get() + std::min(n, room), n - std::min(n, room));
    }
    if (reader.Ended()) break;
    n = reader.Fill(piece.get(), kPiece);
  }
  framed.append(format.frameAfter);
  const std::string_view rest = framed;
  const bool ok = rest.size() > kPiece
                      ? encode(rest.substr(0, kPiece)) && encode(rest.substr(kPiece))
                      : encode(rest);
  return ok ? StreamOutcome::Converted : StreamOutcome::WriteFailed;
}

StreamOutcome StreamLinkToPlain(std::span<const LinkFormat* const> formats, const ReadPiece& read,
                                const WritePiece& write) {
  TextReader reader(read);
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  const auto cleaned = std::make_unique_for_overwrite<char[]>(kPiece + 2);
  const auto bytes = std::make_unique_for_overwrite<unsigned char[]>(3 * ((kPiece + 2 + 3) / 4 + 1));
  // The first piece holds every scheme's bytes, or the whole text.
  const std::size_t first = reader.Fill(piece.get(), kPiece);
  std::string_view payload(piece.get(), first);
  const LinkFormat* format = nullptr;
  for (const LinkFormat* f : formats) {
    if (format == nullptr && HasScheme(*f, payload)) format = f;
  }
  if (format == nullptr) return StreamOutcome::WrongForm;
  payload = LinkPayload(*format, payload);
  if (payload.size() + format->scheme.size() < first) reader.End();  // cut at a "&"

  NoWindow host;
  Base64Cleaner cleaner;
  Base64GroupDecoder<NoWindow> decoder(host, {}, 0);
  DecodedOutput output(*format, write);
  auto decode = [&](std::size_t cleanLength) {
    const std::size_t n = decoder.Feed(std::string_view(cleaned.get(), cleanLength), bytes.get());
    return output.Push(std::string_view(reinterpret_cast<const char*>(bytes.get()), n));
  };
  for (;;) {
    if (!decode(cleaner.Clean(payload, cleaned.get()))) return StreamOutcome::WriteFailed;
    if (reader.Ended()) break;
    payload = std::string_view(piece.get(), reader.Fill(piece.get(), kPiece));
    const std::size_t amp = payload.find('&');
    if (amp != std::string_view::npos) {
      payload = payload.substr(0, amp);
      reader.End();
    }
  }
  if (!decode(cleaner.Finish(cleaned.get()))) return StreamOutcome::WriteFailed;
  const std::size_t last = decoder.Finish(bytes.get());
  const bool ok = output.Push(std::string_view(reinterpret_cast<const char*>(bytes.get()), last)) &&
                  output.Finish(decoder.Cut());
  return ok ? StreamOutcome::Converted : StreamOutcome::WriteFailed;
}

}  // namespace zelvorn
