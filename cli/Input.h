// Reading standard input or a file for the command line: in large blocks,
// with standard output flushed before any read that may wait, so a program
// that writes one text and waits for its answer gets it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvorn {

class Input {
 public:
  // Takes an open descriptor; Close() or the destructor closes a file's.
  explicit Input(int fd, bool ownsFd = false) : fd_(fd), ownsFd_(ownsFd) {}
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Up to `capacity` bytes; 0 at the end; SIZE_MAX when reading failed
  // (errno tells why).
  std::size_t Read(char* buffer, std::size_t capacity);

  enum class Status { Line, End, TooLong, Failed };
  // The next line without its LF and a CR before it. A line longer than
  // `limit` bytes is skipped up to its LF and reported as TooLong; memory
  // stays within a small multiple of the limit.
  Status NextLine(std::string_view& line, std::size_t limit);

  // Everything up to the end, for texts converted in memory.
  Status ReadAll(std::string& text);

  int Error() const { return error_; }

 private:
  bool Fill(std::size_t cap);  // false at the end or on failure; grows to `cap` at most by doubling

  int fd_;
  bool ownsFd_;
  int error_ = 0;
  bool ended_ = false;
  std::string buffer_;
  std::size_t begin_ = 0, end_ = 0;
};

}  // namespace zelvorn
