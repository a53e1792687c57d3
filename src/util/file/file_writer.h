// Buffered text output of the backend.
//
// Verilog text is produced in many small pieces. `TextWriter` collects them
// in one pending buffer; `FileWriter` hands the buffer to its file whenever it
// has grown past a threshold, so the number of system writes stays small
// (one per `kSpillThreshold` bytes of text). `StringWriter` keeps everything
// in memory, for tests and for callers that want the text itself.
//
// Failures are never silent: a file that cannot be created, written, flushed
// or closed raises a fatal error naming its path and the system's error text.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace velora {

/// Append-only text sink with a pending buffer.
class TextWriter {
 public:
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  virtual ~TextWriter() = default;

  /// Appends `text`.
  void write(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= threshold_) spill();
  }
  /// Appends one character.
  void write(char c) {
    pending_.push_back(c);
    if (pending_.size() >= threshold_) spill();
  }
  /// Appends `n` spaces.
  void write_spaces(std::size_t n) {
    pending_.append(n, ' ');
    if (pending_.size() >= threshold_) spill();
  }
  /// Appends the decimal form of `value`.
  void write_dec(long long value);
  void write_udec(unsigned long long value);

  /// The pending text, for producers that append in place (for example an
  /// identifier's `append_abs_name`); call `commit()` after appending.
  std::string& pending() { return pending_; }
  void commit() {
    if (pending_.size() >= threshold_) spill();
  }

 protected:
  explicit TextWriter(std::size_t threshold) : threshold_(threshold) {}
  /// Hands the pending text on; the base keeps it.
  virtual void spill() {}

  std::string pending_;

 private:
  std::size_t threshold_;
};

/// Keeps the whole text in memory.
class StringWriter final : public TextWriter {
 public:
  StringWriter() : TextWriter(std::numeric_limits<std::size_t>::max()) {}
  const std::string& text() const { return pending_; }
  std::string take() { return std::move(pending_); }
};

/// Writes to a file that it creates or truncates (permission bits 0666
/// before the process umask). The directory must exist.
class FileWriter final : public TextWriter {
 public:
  /// Pending text handed to the file at once, in bytes.
  static constexpr std::size_t kSpillThreshold = 64 * 1024;

  /// Opens `path`; fatal "cannot open {path}: {system error text}".
  explicit FileWriter(std::string path);
  /// Writes what is still pending and closes the file, ignoring errors: a
  /// writer that is discarded without `close()` is being unwound by another
  /// failure, which must not be replaced. The text written so far stays.
  ~FileWriter() override;

  /// Writes the pending text to the file; fatal "cannot write {path}:
  /// {system error text}" when the system refuses it (a full disk, a closed
  /// device). After a failure the writer accepts no more text.
  void flush();
  /// Flushes and closes the file; fatal on a write or close failure as
  /// above ("cannot close {path}: ..."). Closing twice does nothing.
  void close();

  const std::string& path() const { return path_; }

 private:
  void spill() override { flush(); }
  void write_all(bool report);

  std::string path_;
  int fd_ = -1;
};

}  // namespace velora
