// Memory running out at every allocation point of a send and of the start:
// the send is never let through when it should be refused, the user sees at
// most one box, every host text is freed exactly once, and (under
// LeakSanitizer) nothing leaks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "config/config_loader.h"
#include "host/lifecycle.h"
#include "host/plugin_state.h"
#include "host/send_hook.h"
#include "tests/fake_host.h"
#include "tests/test_support.h"

// The replacement pairs malloc with free on purpose; gcc cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
// When not negative: how many allocations succeed before one throws.
long g_countdown = -1;
}  // namespace

void* operator new(size_t size) {
  if (g_countdown >= 0 && g_countdown-- == 0) throw std::bad_alloc();
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace sendwarden {
namespace {

const char kConfig[] =
    "ALL=^[a-z]+@home\\.test$\n"
    "[^boss@home\\.test$]\n"
    "TO=^[a-z]+@partner\\.test$\n"
    "[^sales@home\\.test$]\n"
    "CC=^[a-z]+@client\\.test$\n";

class AllocFailureTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::g_allocationCountdown = &g_countdown; }
  void TearDown() override {
    g_countdown = -1;
    testing::g_allocationCountdown = nullptr;
  }

  // Fails each allocation of `send` in turn, from the first until a run gets
  // through without a failure. `prepare` sets the scene before every run.
  // Returns the number of allocation points.
  template <typename Prepare>
  long FailEveryAllocation(const char* message, Prepare prepare) {
    prepare();
    testing::FakeHost reference;
    reference.Install(state_.hostApi);
    testing::BoxRecorder reference_boxes;
    const int expected = CheckSend(state_, message);
    EXPECT_EQ(reference_boxes.boxes().size(), expected == 0 ? 0u : 1u);

    for (long n = 0;; ++n) {
      SCOPED_TRACE(n);
      prepare();
      testing::FakeHost host;
      host.Install(state_.hostApi);
      testing::BoxRecorder boxes;
      g_countdown = n;
      int result = CheckSend(state_, message);
      bool failed = g_countdown < 0;
      g_countdown = -1;

      EXPECT_TRUE(result == 0 || result == -1);
      if (expected == -1) {
        EXPECT_EQ(result, -1) << "a refused send got through";
      }
      EXPECT_EQ(boxes.boxes().size(), result == 0 ? 0u : 1u);
      EXPECT_TRUE(host.AllFreedOnce());
      if (!failed) {
        EXPECT_EQ(result, expected);
        return n;
      }
    }
  }

  void LoadConfig(const std::string& text) {
    testing::WriteFile(path_, text);
    ASSERT_TRUE(LoadAllowConfig(path_, state_.config));
  }

  PluginState state_;
  testing::ScratchDir dir_;
  std::string path_ = dir_.File("Sendwarden.conf");
};

TEST_F(AllocFailureTest, RepresentativeSends) {
  struct Case {
    const char* name;
    const char* message;
    int expected;
  } cases[] = {
      {"allowed by the default rule", "From: anyone@x\nTo: a@home.test, b@home.test\n\n", 0},
      {"allowed by a section", "From: boss@home.test\nTo: a@home.test, p@partner.test\n\n", 0},
      {"refused naming an address",
       "From: boss@home.test\nTo: p@partner.test, r@rival.test\nCc: c@client.test\n\n", -1},
      {"refused with the general text", "From: intern@home.test\nTo: p@partner.test\n\n", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    long points = FailEveryAllocation(c.message, [&] { LoadConfig(kConfig); });
    EXPECT_GT(points, 10);
    LoadConfig(kConfig);
    testing::FakeHost host;
    host.Install(state_.hostApi);
    testing::BoxRecorder boxes;
    EXPECT_EQ(CheckSend(state_, c.message), c.expected);
  }
}

// The file changes just before the send, so the send reloads it and the
// allocations of the load fail too. The new rules refuse the address.
TEST_F(AllocFailureTest, ConfigurationReloadedDuringTheSend) {
  const char* message = "From: boss@home.test\nTo: p@partner.test\n\n";
  long points = FailEveryAllocation(message, [&] {
    LoadConfig(kConfig);
    testing::WriteFile(path_, "ALL=^[a-z]+@home\\.test$\n");
    testing::ShiftFileTime(path_, 7);
  });
  EXPECT_GT(points, 20);
}

// Memory running out while the file is read closes it all the same: an open
// handle would keep the user from saving the file, and each send's retry
// would leak another.
TEST_F(AllocFailureTest, ReadingTheConfigurationClosesTheFile) {
  // Large enough that the bytes are appended in several steps.
  testing::WriteFile(path_, "#" + std::string(300000, 'x') + "\nALL=^a@x\\.test$\n");
  size_t handles = testing::OpenHandleCount();
  for (long n = 0;; ++n) {
    SCOPED_TRACE(n);
    g_countdown = n;
    bool failed = false;
    try {
      AllowConfig config;
      LoadAllowConfig(path_, config);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    failed = failed || g_countdown < 0;
    g_countdown = -1;
    ASSERT_EQ(testing::OpenHandleCount(), handles);
    if (!failed) break;
  }
}

// Start under memory failure leaves a store that may lack rules but never
// allows more than the file does. When memory ran out before the start could
// work out the file's path, sends refuse until one can work it out: the next
// send after memory is back reads the file in full.
TEST_F(AllocFailureTest, StartUnderMemoryFailure) {
  std::string module_path;
  ASSERT_TRUE(ReadModulePath(nullptr, &module_path));
  const std::string config_path = ConfigPathFor(module_path);
  testing::WriteFile(config_path, kConfig);
  const char* refused = "From: boss@home.test\nTo: r@rival.test\n\n";
  const char* allowed = "From: boss@home.test\nTo: p@partner.test\n\n";

  for (long n = 0;; ++n) {
    SCOPED_TRACE(n);
    PluginState state;
    testing::FakeHost host;
    host.Install(state.hostApi);
    g_countdown = n;
    StartPlugin(state);
    bool failed = g_countdown < 0;
    g_countdown = -1;

    testing::BoxRecorder boxes;
    EXPECT_EQ(CheckSend(state, refused), -1);
    EXPECT_EQ(CheckSend(state, allowed), 0);
    EXPECT_EQ(state.config.file.path, config_path);
    EXPECT_TRUE(host.AllFreedOnce());
    if (!failed) {
      EXPECT_GT(n, 10);
      break;
    }
  }
  std::remove(config_path.c_str());
}

// While the path cannot be had, every send refuses, and each looks again.
TEST_F(AllocFailureTest, SendsRefuseWhileTheConfigurationPathIsPending) {
  std::string module_path;
  ASSERT_TRUE(ReadModulePath(nullptr, &module_path));
  const std::string config_path = ConfigPathFor(module_path);
  testing::WriteFile(config_path, "ALL=.\n");
  PluginState state;
  testing::FakeHost host;
  host.Install(state.hostApi);
  testing::BoxRecorder boxes;
  state.configPathPending = true;
  for (long n = 0; n < 3; ++n) {
    g_countdown = n;  // memory runs out during the send
    EXPECT_EQ(CheckSend(state, "To: a\n\n"), -1);
    g_countdown = -1;
  }
  EXPECT_EQ(CheckSend(state, "To: a\n\n"), 0);
  EXPECT_FALSE(state.configPathPending);
  EXPECT_EQ(boxes.boxes().size(), 3u);
  std::remove(config_path.c_str());
}

}  // namespace
}  // namespace sendwarden
