// The three link formats: a scheme, then the Base64 text of the address with
// a frame text before and after it; and the one way each direction is
// converted, piece by piece, for the window and the command line alike.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "codec/Base64.h"
#include "text/Text.h"

namespace zelvorn {

struct LinkFormat {
  std::string_view scheme;  // compared byte for byte, case-sensitively
  std::string_view frameBefore;
  std::string_view frameAfter;
};

inline constexpr LinkFormat kThunderLink{"thunder://", "AA", "ZZ"};
inline constexpr LinkFormat kFlashGetLink{"Flashget://", "[FLASHGET]", "[FLASHGET]"};
inline constexpr LinkFormat kQqdlLink{"qqdl://", "", ""};

// In the order the window's buttons and `decode` try them.
inline constexpr const LinkFormat* kLinkFormats[] = {&kThunderLink, &kFlashGetLink, &kQqdlLink};

// True when the source begins, byte for byte, with http://, https://, mms://,
// ftp:// or rstp://. Nothing after the prefix is looked at.
bool CheckPlainAddress(std::string_view source);

// True when the text begins with the format's scheme.
bool HasScheme(const LinkFormat& format, std::string_view text);

// The first of `formats` whose scheme the text begins with; none when no
// scheme fits.
const LinkFormat* FormatOfLink(std::span<const LinkFormat* const> formats, std::string_view text);

// Reads up to `capacity` bytes into `buffer`; 0 at the end of the input.
using ReadPiece = std::function<std::size_t(char* buffer, std::size_t capacity)>;
// Takes a piece of the result; false when it could not be written.
using WritePiece = std::function<bool(std::string_view piece)>;
// Runs between the pieces of a long conversion: the window keeps its
// messages flowing there.
using BetweenPieces = std::function<void()>;

// Pieces are this many bytes: 4096 lines of Base64.
inline constexpr std::size_t kLinkPiece = kBase64LineBytes * 4096;

// Turns an address, given in pieces, into its link: the scheme, then the
// Base64 text of the framed address, written in pieces of whole lines.
class LinkEncoder {
 public:
  explicit LinkEncoder(const LinkFormat& format) : format_(&format) {}
  // Starts a new link, keeping the buffers: many short links cost little.
  void Reset(const LinkFormat& format);
  bool Feed(std::string_view address, const WritePiece& write);
  // An address is read to its end.
  bool Ended() const { return false; }
  bool Finish(const WritePiece& write);

 private:
  bool Encode(std::string_view bytes, const WritePiece& write);

  const LinkFormat* format_;
  bool started_ = false;
  std::string framed_;  // what waits for a whole piece
  std::string text_;    // grows with the pieces, up to one whole piece
};

// Turns the text after a link's scheme, given in pieces, into the address:
// finds where the Base64 part ends, cleans and decodes it, ends the address
// at its first zero byte and cuts the frame by position. Memory is fixed but
// for a run of characters outside the alphabet, which waits until the next
// alphabet character shows that it lies inside the Base64 part.
class LinkDecoder {
 public:
  explicit LinkDecoder(const LinkFormat& format);
  ~LinkDecoder();
  // Starts a new link, keeping the buffers: many short links cost little.
  void Reset(const LinkFormat& format);
  // False once a write failed.
  bool Feed(std::string_view afterScheme, const WritePiece& write);
  // True once the Base64 part has ended: later pieces change nothing.
  bool Ended() const { return ended_; }
  bool Finish(const WritePiece& write);

 private:
  class Output;
  std::string_view Unescape(std::string_view piece);
  bool FeedPart(std::string_view afterScheme, std::size_t end, const WritePiece& write);
  bool Decode(std::string_view part, const WritePiece& write);

  bool ended_ = false;
  std::string escape_, unescaped_;  // an escape cut by a piece's end; a piece read through
  std::string trailing_;            // since the last alphabet character
  Base64Cleaner cleaner_;
  Base64Decoder decoder_;
  std::unique_ptr<Output> output_;
  // Grow with the pieces, up to one whole piece: a short link costs little.
  std::string cleaned_;
  std::basic_string<unsigned char> bytes_;
};

// The link for an address, whatever the address holds: its bytes are taken
// unchanged, line breaks included. The caller checks the address first.
Text EncodeLink(const LinkFormat& format, std::string_view address, const BetweenPieces& between = {});

// The address in a link, or nothing when the link does not begin with the
// format's scheme. Damaged Base64 is decoded all the same, and the frame is
// cut by position without looking at its bytes.
std::optional<Text> DecodeLink(const LinkFormat& format, std::string_view link,
                               const BetweenPieces& between = {});

// The same conversions for a text that arrives in pieces, as the command
// line reads a long one from a pipe, with buffers of a fixed size. The input
// is a text: it ends at its first zero byte.
enum class StreamOutcome { Converted, WrongForm, ReadFailed, WriteFailed };

// WrongForm, with nothing written, when the input is no plain address.
// `read` returns SIZE_MAX when reading failed (ReadFailed).
StreamOutcome StreamPlainToLink(const LinkFormat& format, const ReadPiece& read, const WritePiece& write);

// Decodes with the first of `formats` whose scheme the text begins with;
// WrongForm, with nothing written, when none does.
StreamOutcome StreamLinkToPlain(std::span<const LinkFormat* const> formats, const ReadPiece& read,
                                const WritePiece& write);

}  // namespace zelvorn
