#include "config/reload.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_loader.h"
#include "config/rule_store.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

using testing::DumpStore;
using testing::ShiftFileTime;
using testing::WriteFile;

class ReloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(path_, "TO=first\n");
    ASSERT_TRUE(LoadAllowConfig(path_, config_));
  }

  const Pattern* FirstPattern() {
    const auto& rule = config_.defaultRule;
    return rule == nullptr ? nullptr : rule->toPatterns.entry(0).pattern.get();
  }

  testing::ScratchDir dir_;
  AllowConfig config_;
  std::string path_ = dir_.File("Sendwarden.conf");
};

TEST_F(ReloadTest, UnchangedFileKeepsTheSamePatternObjects) {
  const Pattern* before = FirstPattern();
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(FirstPattern(), before);
}

// A save that kept the time (a copy that preserves it, a coarse clock) but
// changed the size is a change.
TEST_F(ReloadTest, ASizeChangeUnderTheSameTimeRereadsTheFile) {
  auto time = std::filesystem::last_write_time(path_);
  WriteFile(path_, "TO=second, narrower\n");
  std::filesystem::last_write_time(path_, time);
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [second, narrower]\n");
}

TEST_F(ReloadTest, AnyChangeOfTheTimeRereadsTheFile) {
  WriteFile(path_, "TO=second\n");
  ShiftFileTime(path_, 5);
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [second]\n");

  // An older copy put back counts as a change too.
  WriteFile(path_, "TO=older\n");
  ShiftFileTime(path_, -3600);
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [older]\n");

  // Same content, new time: read again (only a load records the new time).
  ShiftFileTime(path_, 10);
  FileTime now;
  ASSERT_TRUE(ReadLastWriteTime(path_, &now));
  ASSERT_FALSE(SameFileTime(*config_.file.lastWriteTime, now));
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_TRUE(SameFileTime(*config_.file.lastWriteTime, now));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [older]\n");
}

TEST_F(ReloadTest, DeletedFileEmptiesTheStoreAndIsLookedForAtEveryCheck) {
  std::filesystem::remove(path_);
  EXPECT_FALSE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "");
  EXPECT_FALSE(ReloadIfChanged(config_));

  WriteFile(path_, "TO=back\n");
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [back]\n");
}

// A file restored with the very time the last load read (a backup that keeps
// file times) must be read again: the store was emptied when it went away.
TEST_F(ReloadTest, FileRestoredWithItsOldTimeIsReadAgain) {
  auto time = std::filesystem::last_write_time(path_);
  std::filesystem::rename(path_, path_ + ".bak");
  EXPECT_FALSE(ReloadIfChanged(config_));
  std::filesystem::rename(path_ + ".bak", path_);
  ASSERT_EQ(std::filesystem::last_write_time(path_), time);
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [first]\n");
}

// Found but not readable (here a folder in its place): nothing is stored, and
// the next check tries again even when the time stays the same.
TEST_F(ReloadTest, UnreadableFileIsTriedAgainAtTheNextCheck) {
  std::filesystem::remove(path_);
  std::filesystem::create_directory(path_);
  auto time = std::filesystem::last_write_time(path_);
  EXPECT_FALSE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "");

  std::filesystem::remove(path_);
  WriteFile(path_, "TO=readable\n");
  std::filesystem::last_write_time(path_, time);
  EXPECT_TRUE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "default\n  TO [readable]\n");
}

TEST(ReloadBeforeStart, EmptyPathFindsNothingAndKeepsTheStoreEmpty) {
  AllowConfig config_;
  EXPECT_FALSE(ReloadIfChanged(config_));
  EXPECT_FALSE(ReloadIfChanged(config_));
  EXPECT_EQ(DumpStore(config_), "");
  EXPECT_EQ(config_.file.path, "");
}

}  // namespace
}  // namespace sendwarden
