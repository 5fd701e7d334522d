#include "links/Links.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace zelvorn {

bool CheckPlainAddress(std::string_view source) {
  static constexpr std::array<std::string_view, 5> kAccepted = {
      "http://", "https://", "mms://", "ftp://", "rstp://"};
  for (std::string_view prefix : kAccepted) {
    if (TextEquals(TextLeft(source, TextLength(prefix)), prefix)) return true;
  }
  return false;
}

bool HasScheme(const LinkFormat& format, std::string_view text) { return text.starts_with(format.scheme); }

const LinkFormat* FormatOfLink(std::span<const LinkFormat* const> formats, std::string_view text) {
  for (const LinkFormat* format : formats) {
    if (HasScheme(*format, text)) return format;
  }
  return nullptr;
}

// --- Encoding ---------------------------------------------------------------

bool LinkEncoder::Encode(std::string_view bytes, const WritePiece& write) {
  const std::size_t length = Base64EncodedLength(bytes.size());
  if (text_.size() < length) text_.resize(length);
  return write(std::string_view(text_.data(), Base64EncodeTo(bytes, text_.data())));
}

void LinkEncoder::Reset(const LinkFormat& format) {
  format_ = &format;
  started_ = false;
  framed_.clear();
}

bool LinkEncoder::Feed(std::string_view address, const WritePiece& write) {
  if (!started_) {
    started_ = true;
    if (!write(format_->scheme)) return false;
    framed_.assign(format_->frameBefore);
  }
  // The framed address goes to the codec in pieces of whole lines.
  while (framed_.size() + address.size() >= kLinkPiece) {
    const std::size_t take = kLinkPiece - framed_.size();
    if (framed_.empty()) {
      if (!Encode(address.substr(0, take), write)) return false;
    } else {
      framed_.append(address.substr(0, take));
      if (!Encode(framed_, write)) return false;
      framed_.clear();
    }
    address.remove_prefix(take);
  }
  framed_.append(address);
  return true;
}

bool LinkEncoder::Finish(const WritePiece& write) {
  if (!Feed({}, write)) return false;
  framed_.append(format_->frameAfter);
  const std::string_view rest = framed_;
  const std::size_t first = std::min(rest.size(), kLinkPiece);
  return Encode(rest.substr(0, first), write) && (first == rest.size() || Encode(rest.substr(first), write));
}

namespace {

// A whole text through an encoder or a decoder in pieces, with `between`
// after each piece; the result is collected in memory.
template <class Converter>
Text ConvertInPieces(Converter& converter, std::string_view text, const BetweenPieces& between, std::size_t size) {
  Text result;
  result.reserve(size);
  const WritePiece append = [&result](std::string_view piece) {
    result.append(piece);
    return true;
  };
  do {
    const std::string_view piece = text.substr(0, kLinkPiece);
    text.remove_prefix(piece.size());
    converter.Feed(piece, append);
    if (between) between();
  } while (!text.empty() && !converter.Ended());
  converter.Finish(append);
  return result;
}

}  // namespace

Text EncodeLink(const LinkFormat& format, std::string_view address, const BetweenPieces& between) {
  LinkEncoder encoder(format);
  return ConvertInPieces(encoder, address, between, format.scheme.size() + Base64EncodedLength(
      format.frameBefore.size() + address.size() + format.frameAfter.size()));
}

// --- Decoding ---------------------------------------------------------------

namespace {

// The first of the bytes `Stops`: one memchr for each, each looking only
// before what the others found (the C library's memchr reads many bytes a
// step, and every link is scanned whole).
template <char... Stops>
std::size_t FindFirstOf(std::string_view text) {
  std::size_t first = text.size();
  for (const char stop : {Stops...}) {
    if (const void* at = std::memchr(text.data(), stop, first))
      first = static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
  }
  return first < text.size() ? first : std::string_view::npos;
}

// Passes on all but the last `keep` bytes (at most kMost) of what goes
// through it.
class HoldBack {
 public:
  static constexpr std::size_t kMost = 16;

  void Reset(std::size_t keep) {
    keep_ = keep;
    size_ = 0;
  }

  template <class Next>
  bool Push(std::string_view in, Next&& next) {
    if (in.size() >= keep_) {
      const bool ok = (size_ == 0 || next(Held())) && next(in.substr(0, in.size() - keep_));
      size_ = keep_;
      std::memcpy(held_, in.data() + in.size() - keep_, keep_);
      return ok;
    }
    // Fewer bytes than are kept: the oldest held ones go on.
    const std::size_t extra = size_ + in.size() > keep_ ? size_ + in.size() - keep_ : 0;
    const bool ok = extra == 0 || next(Held().substr(0, extra));
    std::memmove(held_, held_ + extra, size_ - extra);
    std::memcpy(held_ + size_ - extra, in.data(), in.size());
    size_ += in.size() - extra;
    return ok;
  }
  std::string_view Held() const { return std::string_view(held_, size_); }

 private:
  std::size_t keep_ = 0;
  std::size_t size_ = 0;
  char held_[kMost];
};

static_assert(kThunderLink.frameAfter.size() <= HoldBack::kMost && kFlashGetLink.frameAfter.size() <= HoldBack::kMost &&
              kQqdlLink.frameAfter.size() <= HoldBack::kMost);

}  // namespace

// The decoded bytes on their way out: the codec's cut at the end, the text's
// end at its first zero byte, then the frame cut by position.
class LinkDecoder::Output {
 public:
  explicit Output(const LinkFormat& format) { Reset(format); }

  void Reset(const LinkFormat& format) {
    beforeCut_.Reset(4);
    skip_ = format.frameBefore.size();
    frameAfter_.Reset(format.frameAfter.size());
    textEnded_ = false;
  }

  bool Push(std::string_view bytes, const WritePiece& write) {
    return beforeCut_.Push(bytes, [&](std::string_view b) { return ToText(b, write); });
  }

  bool Finish(std::size_t cut, const WritePiece& write) {
    const std::string_view held = beforeCut_.Held();
    return ToText(held.substr(0, held.size() - std::min(cut, held.size())), write);
  }

 private:
  bool ToText(std::string_view bytes, const WritePiece& write) {
    if (textEnded_) return true;
    const std::size_t zero = bytes.find('\0');
    textEnded_ = zero != std::string_view::npos;
    bytes = bytes.substr(0, zero);
    const std::size_t skipped = std::min(skip_, bytes.size());
    skip_ -= skipped;
    return frameAfter_.Push(bytes.substr(skipped), write);
  }

  HoldBack beforeCut_;  // the codec cuts at most 4 bytes from the end
  std::size_t skip_ = 0;
  HoldBack frameAfter_;
  bool textEnded_ = false;
};

LinkDecoder::LinkDecoder(const LinkFormat& format) : output_(std::make_unique<Output>(format)) {}

LinkDecoder::~LinkDecoder() = default;

void LinkDecoder::Reset(const LinkFormat& format) {
  ended_ = false;
  escape_.clear();
  trailing_.clear();
  cleaner_ = {};
  decoder_ = {};
  output_->Reset(format);
}

bool LinkDecoder::Decode(std::string_view part, const WritePiece& write) {
  do {
    const std::string_view piece = part.substr(0, kLinkPiece);
    part.remove_prefix(piece.size());
    const std::size_t room = Base64Cleaner::CleanedCapacity(piece.size());
    if (cleaned_.size() < room) {
      cleaned_.resize(room);
      bytes_.resize(Base64Decoder::DecodedCapacity(room));
    }
    const std::size_t cleaned = cleaner_.Clean(piece, cleaned_.data());
    const std::size_t n = decoder_.Feed(std::string_view(cleaned_.data(), cleaned), bytes_.data());
    if (!output_->Push(std::string_view(reinterpret_cast<const char*>(bytes_.data()), n), write)) return false;
  } while (!part.empty());
  return true;
}

// Pages that percent-encode a link write the "+", "/" and "=" of its Base64
// part as %2B, %2F and %3D: read so, they mean what they meant. ("%" is no
// Base64 character, so no link that is not encoded changes.) An escape cut
// by the end of a piece waits for the next piece.
std::string_view LinkDecoder::Unescape(std::string_view piece) {
  escape_.append(piece);
  unescaped_.clear();
  const std::string_view text = escape_;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      unescaped_.push_back(text[i++]);
      continue;
    }
    if (text.size() - i < 3) break;  // the rest of the escape comes with the next piece
    const std::string_view hex = text.substr(i + 1, 2);
    const char c = hex == "2B" || hex == "2b" ? '+' : hex == "2F" || hex == "2f" ? '/' : hex == "3D" || hex == "3d" ? '=' : 0;
    unescaped_.push_back(c != 0 ? c : '%');
    i += c != 0 ? 3 : 1;
  }
  escape_.erase(0, i);
  return unescaped_;
}

// The Base64 part of a link ends
// - at its first "&": links published on web pages often carry a parameter
//   there ("...=&1926");
// - at its first "=": the padding, after which a page may run the link into
//   the next word ("...aXNvWlo=Windows") or a Markdown target adds a "/";
//   unpadded text decodes exactly as padded text;
// - before whatever follows its last Base64 alphabet character: the full
//   stop, bracket, tab or line break after a link in running text.
// What lies between its alphabet characters stays: spaces and CR LF pairs
// are cleaned away, and damaged text is decoded by the group rule.
bool LinkDecoder::Feed(std::string_view afterScheme, const WritePiece& write) {
  if (ended_) return true;
  if (escape_.empty()) {  // the common case: no escape, one look at each byte
    const std::size_t stop = FindFirstOf<'&', '=', '%'>(afterScheme);
    if (stop == std::string_view::npos || afterScheme[stop] != '%') return FeedPart(afterScheme, stop, write);
  }
  const std::string_view unescaped = Unescape(afterScheme);
  return FeedPart(unescaped, FindFirstOf<'&', '='>(unescaped), write);
}

// `end`: where the first "&" or "=" stands.
bool LinkDecoder::FeedPart(std::string_view afterScheme, std::size_t end, const WritePiece& write) {
  if (end != std::string_view::npos) {
    ended_ = true;
    afterScheme = afterScheme.substr(0, end);
  }
  const auto last = std::find_if(afterScheme.rbegin(), afterScheme.rend(), IsBase64Character);
  if (last == afterScheme.rend()) {  // no alphabet character yet: it may all be trailing text
    trailing_.append(afterScheme);
    return true;
  }
  const std::size_t through = static_cast<std::size_t>(afterScheme.rend() - last);
  const bool ok = (trailing_.empty() || Decode(trailing_, write)) && Decode(afterScheme.substr(0, through), write);
  trailing_.assign(afterScheme.substr(through));
  return ok;
}

bool LinkDecoder::Finish(const WritePiece& write) {
  // An escape cut short is text.
  if (!ended_ && !escape_.empty() && !FeedPart(escape_, FindFirstOf<'&', '='>(escape_), write)) return false;
  ended_ = true;
  trailing_.clear();  // what followed the last alphabet character
  char cleaned[Base64Cleaner::CleanedCapacity(0)];
  unsigned char bytes[Base64Decoder::DecodedCapacity(Base64Cleaner::CleanedCapacity(0)) + 3];
  const std::size_t n = cleaner_.Finish(cleaned);
  std::size_t written = decoder_.Feed(std::string_view(cleaned, n), bytes);
  written += decoder_.Finish(bytes + written);
  return output_->Push(std::string_view(reinterpret_cast<const char*>(bytes), written), write) &&
         output_->Finish(decoder_.Cut(), write);
}

std::optional<Text> DecodeLink(const LinkFormat& format, std::string_view link, const BetweenPieces& between) {
  if (!HasScheme(format, link)) return std::nullopt;
  link.remove_prefix(format.scheme.size());
  LinkDecoder decoder(format);
  return ConvertInPieces(decoder, link, between, link.size() / 4 * 3);
}

// --- Streams ----------------------------------------------------------------

namespace {

// The input as a text: it ends at its first zero byte.
class TextReader {
 public:
  explicit TextReader(const ReadPiece& read) : read_(read) {}

  // Fills the buffer, or reads to the end of the text.
  std::size_t Fill(char* buffer, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && !ended_) {
      const std::size_t got = read_(buffer + n, capacity - n);
      if (got == SIZE_MAX) {
        failed_ = ended_ = true;
        break;
      }
      const std::string_view piece(buffer + n, got);
      const std::size_t zero = piece.find('\0');
      ended_ = got == 0 || zero != std::string_view::npos;
      n += zero != std::string_view::npos ? zero : got;
    }
    return n;
  }
  bool Ended() const { return ended_; }
  bool Failed() const { return failed_; }

 private:
  const ReadPiece& read_;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace

StreamOutcome StreamPlainToLink(const LinkFormat& format, const ReadPiece& read, const WritePiece& write) {
  TextReader reader(read);
  const auto piece = std::make_unique_for_overwrite<char[]>(kLinkPiece);
  // The first piece holds every prefix's bytes, or the whole text.
  std::size_t n = reader.Fill(piece.get(), kLinkPiece);
  if (reader.Failed()) return StreamOutcome::ReadFailed;
  if (!CheckPlainAddress(std::string_view(piece.get(), n))) return StreamOutcome::WrongForm;
  LinkEncoder encoder(format);
  for (;;) {
    if (!encoder.Feed(std::string_view(piece.get(), n), write)) return StreamOutcome::WriteFailed;
    if (reader.Ended()) break;
    n = reader.Fill(piece.get(), kLinkPiece);
  }
  if (reader.Failed()) return StreamOutcome::ReadFailed;
  return encoder.Finish(write) ? StreamOutcome::Converted : StreamOutcome::WriteFailed;
}

StreamOutcome StreamLinkToPlain(std::span<const LinkFormat* const> formats, const ReadPiece& read,
                                const WritePiece& write) {
  TextReader reader(read);
  const auto piece = std::make_unique_for_overwrite<char[]>(kLinkPiece);
  // The first piece holds every scheme's bytes, or the whole text.
  const std::size_t first = reader.Fill(piece.get(), kLinkPiece);
  if (reader.Failed()) return StreamOutcome::ReadFailed;
  const std::string_view text(piece.get(), first);
  const LinkFormat* format = FormatOfLink(formats, text);
  if (format == nullptr) return StreamOutcome::WrongForm;
  LinkDecoder decoder(*format);
  std::string_view next = text.substr(format->scheme.size());
  for (;;) {
    if (!decoder.Feed(next, write)) return StreamOutcome::WriteFailed;
    if (reader.Ended() || decoder.Ended()) break;
    next = std::string_view(piece.get(), reader.Fill(piece.get(), kLinkPiece));
  }
  if (reader.Failed()) return StreamOutcome::ReadFailed;
  return decoder.Finish(write) ? StreamOutcome::Converted : StreamOutcome::WriteFailed;
}

}  // namespace zelvorn
