#include "util/file/file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "common/error.h"

namespace velora {
namespace {

[[noreturn]] [[gnu::cold]] void file_failure(std::string_view what, const std::string& path, int err) {
  std::string msg(what);
  msg.push_back(' ');
  msg.append(path);
  msg.append(": ");
  msg.append(std::strerror(err));
  fatal(std::move(msg));
}

}  // namespace

void TextWriter::write_dec(long long value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  write(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
}

void TextWriter::write_udec(unsigned long long value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  write(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
}

FileWriter::FileWriter(std::string path) : TextWriter(kSpillThreshold), path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) file_failure("cannot open", path_, errno);
  pending_.reserve(kSpillThreshold + 1024);
}

FileWriter::~FileWriter() {
  if (fd_ < 0) return;
  write_all(false);
  ::close(fd_);
}

void FileWriter::write_all(bool report) {
  const char* data = pending_.data();
  std::size_t left = pending_.size();
  while (left > 0) {
    ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      // The file is unusable from here on: drop the text and the handle so
      // that nothing later pretends the write went through.
      pending_.clear();
      ::close(fd_);
      fd_ = -1;
      if (report) file_failure("cannot write", path_, err);
      return;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  pending_.clear();
}

void FileWriter::flush() {
  if (fd_ < 0) {
    if (pending_.empty()) return;
    file_failure("cannot write", path_, EBADF);
  }
  write_all(true);
}

void FileWriter::close() {
  if (fd_ < 0) {
    if (!pending_.empty()) file_failure("cannot write", path_, EBADF);
    return;
  }
  write_all(true);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) file_failure("cannot close", path_, errno);
}

}  // namespace velora
