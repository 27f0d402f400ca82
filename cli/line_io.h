// Lines in and text out for a command in a pipeline: large reads and writes,
// flat memory on an endless stream, and the output flushed whenever the
// input has nothing more yet, so that a program on the other end of two
// pipes gets each answer before it writes the next question.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace kadenzo::cli {

class Output {
 public:
  explicit Output(int fd) noexcept : fd_(fd) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void Write(std::string_view text) noexcept {
    // An empty view may have no data at all, which memcpy must not be given.
    if (text.empty()) return;
    if (text.size() > sizeof buffer_ - size_) return WriteLong(text);
    std::memcpy(buffer_ + size_, text.data(), text.size());
    size_ += text.size();
  }
  // Room for `size` characters at the end of what is buffered, to be written
  // in place and handed over with Commit.
  char* Reserve(std::size_t size) noexcept {
    if (size > sizeof buffer_ - size_) Flush();
    return buffer_ + size_;
  }
  void Commit(const char* end) noexcept { size_ = static_cast<std::size_t>(end - buffer_); }
  void Put(char c) noexcept {
    if (size_ == sizeof buffer_) Flush();
    buffer_[size_++] = c;
  }
  // Writes out what is buffered. After a failed write the rest is dropped
  // and Failed() stays true.
  void Flush() noexcept;
  bool Failed() const noexcept { return failed_; }

 private:
  void WriteLong(std::string_view text) noexcept;

  int fd_;
  bool failed_ = false;
  std::size_t size_ = 0;
  char buffer_[1 << 16];
};

class LineReader {
 public:
  // Longer lines are reported, without their text, as too long.
  static constexpr std::size_t kMaxLine = 4096;

  // `beforeWait` is flushed each time the reader is about to wait for input.
  LineReader(int fd, Output& beforeWait) noexcept : fd_(fd), beforeWait_(beforeWait) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  struct Line {
    std::string_view text;  // without its line break; valid until the next call
    bool tooLong = false;
  };

  // The next line, or false at the end of the input. A last line without a
  // line break counts; a "\r\n" ends a line as "\n" does.
  bool Next(Line& line);
  // Whether the input ended in a read error rather than its end.
  bool Failed() const noexcept { return failed_; }

 private:
  // Reads more after what is kept; false at the end of the input.
  bool Fill();

  int fd_;
  Output& beforeWait_;
  bool failed_ = false;
  bool ended_ = false;
  std::size_t begin_ = 0, end_ = 0;
  char buffer_[1 << 16];
};

}  // namespace kadenzo::cli
