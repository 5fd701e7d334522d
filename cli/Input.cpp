#include "cli/Input.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zelvorn {
namespace {

constexpr std::size_t kBlock = 1 << 16;

long ReadFd(int fd, char* buffer, std::size_t capacity) {
#ifdef _WIN32
  return _read(fd, buffer, static_cast<unsigned>(capacity < (1u << 30) ? capacity : (1u << 30)));
#else
  return ::read(fd, buffer, capacity);
#endif
}

}  // namespace

Input::~Input() {
  if (ownsFd_) {
#ifdef _WIN32
    _close(fd_);
#else
    ::close(fd_);
#endif
  }
}

std::size_t Input::Read(char* buffer, std::size_t capacity) {
  if (error_ != 0) return SIZE_MAX;
  std::fflush(stdout);  // the answers so far, before waiting for more
  for (;;) {
    const long got = ReadFd(fd_, buffer, capacity);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    error_ = errno;
    return SIZE_MAX;
  }
}

bool Input::Fill(std::size_t cap) {
  if (ended_) return false;
  if (begin_ > 0) {  // keep what is left of the current line at the front
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() - end_ < kBlock) buffer_.resize(std::max(end_ + kBlock, std::min(2 * buffer_.size(), cap)));
  const std::size_t got = Read(buffer_.data() + end_, buffer_.size() - end_);
  if (got == 0 || got == SIZE_MAX) {
    ended_ = true;
    return false;
  }
  end_ += got;
  return true;
}

Input::Status Input::NextLine(std::string_view& line, std::size_t limit) {
  bool tooLong = false;
  std::size_t scanned = begin_;
  for (;;) {
    const void* lf = std::memchr(buffer_.data() + scanned, '\n', end_ - scanned);
    std::size_t at = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.data()) : end_;
    if (lf == nullptr) {
      if (end_ - begin_ > limit + 1) {  // too long already (+1: a CR may end it): drop it, find its end
        tooLong = true;
        begin_ = end_;
      }
      const std::size_t kept = end_ - begin_;
      if (Fill(limit + 1 + kBlock)) {
        scanned = kept;  // the line has moved to the front
        continue;
      }
      if (error_ != 0) return Status::Failed;
      if (begin_ == end_ && !tooLong) return Status::End;
      at = end_;
    }
    line = std::string_view(buffer_).substr(begin_, at - begin_);
    begin_ = std::min(at + 1, end_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return tooLong || line.size() > limit ? Status::TooLong : Status::Line;
  }
}

Input::Status Input::ReadAll(std::string& text) {
  while (Fill(SIZE_MAX)) {
  }
  if (error_ != 0) return Status::Failed;
  // Handed over, not copied: a page may be hundreds of megabytes.
  buffer_.resize(end_);
  buffer_.erase(0, begin_);
  text.swap(buffer_);
  buffer_.clear();
  begin_ = end_ = 0;
  return Status::Line;
}

}  // namespace zelvorn
