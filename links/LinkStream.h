// The conversions for a text that arrives in pieces, as the command line
// reads a long one from a pipe: the same bytes as EncodeLink and DecodeLink
// on the whole text, with buffers of a fixed size and one pass.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

#include "links/Links.h"

namespace zelvorn {

// Reads up to `capacity` bytes into `buffer`; 0 at the end of the input.
using ReadPiece = std::function<std::size_t(char* buffer, std::size_t capacity)>;
// Writes a piece of the result; false when it could not.
using WritePiece = std::function<bool(std::string_view piece)>;

enum class StreamOutcome { Converted, WrongForm, WriteFailed };

// The input is a text: it ends at its first zero byte. WrongForm when it is
// no plain address; nothing is written then.
StreamOutcome StreamPlainToLink(const LinkFormat& format, const ReadPiece& read,
                                const WritePiece& write);

// Decodes with the first of `formats` whose scheme the text begins with;
// WrongForm, with nothing written, when none does.
StreamOutcome StreamLinkToPlain(std::span<const LinkFormat* const> formats, const ReadPiece& read,
                                const WritePiece& write);

}  // namespace zelvorn
