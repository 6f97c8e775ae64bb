// Reading and replacing the settings file on a real disk, with the things a user's disk holds.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class PosixFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/plinkett-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::string at(const std::string& name) const { return dir_ + "/" + name; }
  static Bytes contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void put(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  bool replace(const std::string& path, const Bytes& bytes) { return plat::fileReplace(path.c_str(), bytes.data(), bytes.size()); }
  // Everything in the folder but the names given: a leftover temporary shows up here.
  std::vector<std::string> othersThan(std::initializer_list<std::string> names) const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_)) {
      std::string n = e.path().filename().string();
      if (std::find(names.begin(), names.end(), n) == names.end()) out.push_back(n);
    }
    return out;
  }
  std::string dir_;
  const Bytes old_ = Bytes(64, 0x11);
  const Bytes new_ = Bytes(64, 0x22);
};

TEST_F(PosixFiles, OnlyARegularFileIsRead) {
  put(at("file"), Bytes(100, 7));
  uint8_t buffer[64];
  EXPECT_EQ(plat::fileReadSmall(at("file").c_str(), buffer, sizeof buffer), 64u);
  EXPECT_EQ(plat::fileReadSmall(at("missing").c_str(), buffer, sizeof buffer), 0u);
  fs::create_directory(at("folder"));
  EXPECT_EQ(plat::fileReadSmall(at("folder").c_str(), buffer, sizeof buffer), 0u);
  // A pipe nobody writes to would block a plain read for ever.
  ASSERT_EQ(mkfifo(at("pipe").c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(plat::fileReadSmall(at("pipe").c_str(), buffer, sizeof buffer), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_FALSE(replace(at("pipe"), new_));
  EXPECT_FALSE(replace(at("folder"), new_));
}

TEST_F(PosixFiles, ReplacingCreatesOrReplacesWholeAndLeavesNothingElse) {
  // A stale temporary of an older version, and a folder in the way of any fixed name.
  fs::create_directory(at("PLINKETT.SET.new"));
  EXPECT_TRUE(replace(at("PLINKETT.SET"), old_));
  EXPECT_EQ(contents(at("PLINKETT.SET")), old_);
  fs::permissions(at("PLINKETT.SET"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(replace(at("PLINKETT.SET"), Bytes{1, 2, 3}));
  EXPECT_EQ(contents(at("PLINKETT.SET")), (Bytes{1, 2, 3}));
  EXPECT_EQ(fs::status(at("PLINKETT.SET")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(othersThan({"PLINKETT.SET", "PLINKETT.SET.new"}), std::vector<std::string>{});
}

TEST_F(PosixFiles, ALinkKeepsPointingAtItsUpdatedTarget) {
  fs::create_directory(at("dotfiles"));
  put(at("dotfiles/PLINKETT.SET"), old_);
  fs::create_symlink("dotfiles/PLINKETT.SET", at("PLINKETT.SET"));
  EXPECT_TRUE(replace(at("PLINKETT.SET"), new_));
  EXPECT_TRUE(fs::is_symlink(at("PLINKETT.SET")));
  EXPECT_EQ(contents(at("dotfiles/PLINKETT.SET")), new_);
}

TEST_F(PosixFiles, AReadOnlyFileIsLeftAsTheUserMadeIt) {
  put(at("PLINKETT.SET"), old_);
  fs::permissions(at("PLINKETT.SET"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(replace(at("PLINKETT.SET"), new_));
  EXPECT_EQ(contents(at("PLINKETT.SET")), old_);
}

TEST_F(PosixFiles, AFailedWriteLeavesTheOldBytes) {
  put(at("PLINKETT.SET"), old_);
  // The disk takes no more than 10 bytes of any file, as a nearly full disk would.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 10;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool replaced = replace(at("PLINKETT.SET"), new_);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(contents(at("PLINKETT.SET")), old_);
  EXPECT_EQ(othersThan({"PLINKETT.SET"}), std::vector<std::string>{});
}

}  // namespace
