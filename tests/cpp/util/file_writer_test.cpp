#include "util/file/file_writer.h"

#include <gtest/gtest.h>

#include "support/error_capture.h"
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "common/error.h"

namespace velora {
namespace {

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/velora_fw_XXXXXX";
    const char* p = ::mkdtemp(tmpl);
    if (p == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = p;
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}


TEST(StringWriter, CollectsPiecesInOrder) {
  StringWriter w;
  w.write("module ");
  w.write('m');
  w.write_spaces(2);
  w.write_dec(-12);
  w.write(' ');
  w.write_udec(18446744073709551615ull);
  w.pending().append("X");
  w.commit();
  EXPECT_EQ(w.text(), "module m  -12 18446744073709551615X");
}

TEST(FileWriter, CreatesAndTruncates) {
  TempDir dir;
  const std::string path = dir.file("a.v");
  {
    std::ofstream(path) << "old content that is longer than the new one";
  }
  FileWriter w(path);
  w.write("new");
  w.close();
  EXPECT_EQ(read_file(path), "new");
}

TEST(FileWriter, LargeTextArrivesWholeAcrossSpills) {
  TempDir dir;
  const std::string path = dir.file("big.v");
  std::string expected;
  {
    FileWriter w(path);
    for (int i = 0; i < 20000; ++i) {
      std::string line = "line " + std::to_string(i) + "\n";
      w.write(line);
      expected += line;
    }
    ASSERT_GT(expected.size(), 2 * FileWriter::kSpillThreshold);
    w.close();
  }
  EXPECT_EQ(read_file(path), expected);
}

TEST(FileWriter, DiscardedWriterStillWritesPendingText) {
  TempDir dir;
  const std::string path = dir.file("partial.v");
  {
    FileWriter w(path);
    w.write("partial text");
  }
  EXPECT_EQ(read_file(path), "partial text");
}

TEST(FileWriter, PermissionBitsFollowUmask) {
  TempDir dir;
  const std::string path = dir.file("mode.v");
  const mode_t old = ::umask(022);
  {
    FileWriter w(path);
    w.close();
  }
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(FileWriter, OpenFailureNamesPathAndReason) {
  TempDir dir;
  const std::string path = dir.file("missing_dir/top.v");
  const std::string msg = fatal_message([&] { FileWriter w(path); });
  EXPECT_EQ(msg, "cannot open " + path + ": No such file or directory");
}

// A full device accepts the open but refuses the data: the failure must not
// pass for success.
TEST(FileWriter, WriteErrorOnCloseIsReportedWithPath) {
  FileWriter w("/dev/full");
  w.write("module m();\nendmodule\n");
  const std::string msg = fatal_message([&] { w.close(); });
  EXPECT_EQ(msg, "cannot write /dev/full: No space left on device");
}

TEST(FileWriter, WriteErrorOnFlushIsReportedWithPath) {
  FileWriter w("/dev/full");
  w.write("x");
  const std::string msg = fatal_message([&] { w.flush(); });
  EXPECT_EQ(msg, "cannot write /dev/full: No space left on device");
  // The writer is unusable afterwards and keeps saying so.
  w.write("more");
  EXPECT_NE(fatal_message([&] { w.close(); }).find("/dev/full"), std::string::npos);
}

TEST(FileWriter, WriteErrorWhileSpillingIsReportedWithPath) {
  FileWriter w("/dev/full");
  const std::string chunk(1024, 'a');
  const std::string msg = fatal_message([&] {
    for (std::size_t i = 0; i <= FileWriter::kSpillThreshold / chunk.size(); ++i) w.write(chunk);
  });
  EXPECT_EQ(msg, "cannot write /dev/full: No space left on device");
}

TEST(FileWriter, CloseTwiceIsHarmless) {
  TempDir dir;
  FileWriter w(dir.file("twice.v"));
  w.write("t");
  w.close();
  EXPECT_NO_THROW(w.close());
  EXPECT_EQ(read_file(dir.file("twice.v")), "t");
}

TEST(FileWriter, EmptyFlushOnFullDeviceIsFine) {
  FileWriter w("/dev/full");
  EXPECT_NO_THROW(w.flush());
  EXPECT_NO_THROW(w.close());
}

}  // namespace
}  // namespace velora
