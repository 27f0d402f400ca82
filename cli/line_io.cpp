#include "cli/line_io.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kadenzo::cli {
namespace {

long ReadSome(int fd, char* data, std::size_t size) noexcept {
#ifdef _WIN32
  return _read(fd, data, static_cast<unsigned>(size));
#else
  for (;;) {
    const ssize_t n = ::read(fd, data, size);
    if (n >= 0 || errno != EINTR) return static_cast<long>(n);
  }
#endif
}

bool WriteAll(int fd, const char* data, std::size_t size) noexcept {
  while (size > 0) {
#ifdef _WIN32
    const long n = _write(fd, data, static_cast<unsigned>(size));
#else
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
#endif
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void Output::WriteLong(std::string_view text) noexcept {
  Flush();
  if (text.size() > sizeof buffer_) {
    failed_ = failed_ || !WriteAll(fd_, text.data(), text.size());
    return;
  }
  std::memcpy(buffer_, text.data(), text.size());
  size_ = text.size();
}

void Output::Flush() noexcept {
  if (size_ > 0 && !failed_) failed_ = !WriteAll(fd_, buffer_, size_);
  size_ = 0;
}

bool LineReader::Fill() {
  if (ended_) return false;
  // Keep the unfinished line, at the front.
  std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  beforeWait_.Flush();
  const long n = ReadSome(fd_, buffer_ + end_, sizeof buffer_ - end_);
  if (n <= 0) {
    failed_ = n < 0;
    ended_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(n);
  return true;
}

bool LineReader::Next(Line& line) {
  line.tooLong = false;
  std::size_t scanned = begin_;
  for (;;) {
    if (const void* found = std::memchr(buffer_ + scanned, '\n', end_ - scanned)) {
      const std::size_t newline = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_);
      std::size_t length = newline - begin_;
      if (length > kMaxLine) line.tooLong = true;
      if (!line.tooLong && length > 0 && buffer_[begin_ + length - 1] == '\r') --length;
      line.text = line.tooLong ? std::string_view() : std::string_view(buffer_ + begin_, length);
      begin_ = newline + 1;
      return true;
    }
    // A line past the limit is dropped as it comes; only its end is looked for.
    if (end_ - begin_ > kMaxLine) {
      line.tooLong = true;
      begin_ = end_;
    }
    scanned = end_ - begin_;
    if (!Fill()) break;
    scanned += begin_;
  }
  if (begin_ == end_ && !line.tooLong) return false;
  std::size_t length = end_ - begin_;
  if (length > 0 && buffer_[begin_ + length - 1] == '\r') --length;
  line.text = line.tooLong ? std::string_view() : std::string_view(buffer_ + begin_, length);
  begin_ = end_;
  return true;
}

}  // namespace kadenzo::cli
