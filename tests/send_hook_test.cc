// BKC_OnSend against a fake host: the order of host calls, the release of
// every host text exactly once, the verdicts, and failing closed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <vector>

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "host/host_api.h"
#include "tests/test_support.h"

// The replacement pairs malloc with free on purpose; gcc cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Allocation failure injection: when armed, the N-th allocation from now on
// throws std::bad_alloc.
namespace {
long g_allocations_until_failure = -1;
}  // namespace

void* operator new(size_t size) {
  if (g_allocations_until_failure >= 0 && g_allocations_until_failure-- == 0) {
    throw std::bad_alloc();
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace sendwarden {
namespace {

// The fake host decodes a text by putting it in angle brackets, so a check
// that saw the raw text instead would be caught.
struct FakeHost {
  std::string calls;                // "M" and "F" in call order
  std::vector<std::string> texts;   // what BKA_MIMEHeader was given
  std::map<void*, int> outstanding; // texts handed out and not yet freed
  int frees_of_unknown = 0;
  int null_at_call = -1;            // BKA_MIMEHeader call (0-based) that returns null
};
FakeHost* g_host = nullptr;

// The host is not our code and never throws: allocations it makes for its own
// bookkeeping are kept out of the failure injection.
struct InjectionPause {
  long saved = g_allocations_until_failure;
  InjectionPause() { g_allocations_until_failure = -1; }
  ~InjectionPause() { g_allocations_until_failure = saved; }
};

char* SENDWARDEN_WINAPI FakeMimeHeader(const char* text, char* charset, int size, int flag) {
  InjectionPause pause;
  EXPECT_EQ(charset, nullptr);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(flag, 0);
  EXPECT_NE(text, nullptr);
  int index = static_cast<int>(g_host->texts.size());
  g_host->calls += "M";
  g_host->texts.push_back(text);
  if (index == g_host->null_at_call) return nullptr;
  std::string decoded = "<" + std::string(text) + ">";
  char* copy = static_cast<char*>(std::malloc(decoded.size() + 1));
  std::memcpy(copy, decoded.c_str(), decoded.size() + 1);
  g_host->outstanding[copy]++;
  return copy;
}

void SENDWARDEN_WINAPI FakeFree(void* text) {
  InjectionPause pause;
  g_host->calls += "F";
  auto entry = g_host->outstanding.find(text);
  if (entry == g_host->outstanding.end() || entry->second == 0) {
    ++g_host->frees_of_unknown;
    return;
  }
  --entry->second;
  std::free(text);
}

class SendHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_host = &host_;
    HostApi& api = GetHostApi();
    api.BKA_MIMEHeader = &FakeMimeHeader;
    api.BKA_Free = &FakeFree;
    testing::ResetStore();
    RejectionLog().clear();
  }
  void TearDown() override {
    g_allocations_until_failure = -1;
    GetHostApi() = HostApi();
    g_host = nullptr;
  }

  void UseConfig(const std::string& text) {
    testing::WriteFile(path_, text);
    ASSERT_TRUE(LoadAllowConfig(path_));
  }

  // Every text the host handed out has been freed exactly once.
  void ExpectAllFreedOnce() {
    for (const auto& entry : host_.outstanding) EXPECT_EQ(entry.second, 0);
    EXPECT_EQ(host_.frees_of_unknown, 0);
  }

  FakeHost host_;
  testing::BoxRecorder boxes_;
  testing::ScratchDir dir_;
  std::string path_ = dir_.File("Sendwarden.conf");
};

TEST_F(SendHookTest, HostCallsComeInTheDocumentedOrder) {
  UseConfig("ALL=.\n");
  EXPECT_EQ(BKC_OnSend("To: a, b\r\nCc: c\r\nFrom: me\r\n\r\nbody\r\n"), 0);
  EXPECT_EQ(host_.calls, "MFMFMFMF");
  EXPECT_EQ(host_.texts, std::vector<std::string>({"a", "b", "c", "me"}));
  ExpectAllFreedOnce();
}

TEST_F(SendHookTest, NoRecipientsStillDecodesTheSenderAndChecks) {
  EXPECT_EQ(BKC_OnSend("Subject: x\r\n\r\n"), -1);  // empty store refuses
  EXPECT_EQ(host_.calls, "MF");
  EXPECT_EQ(host_.texts, std::vector<std::string>({""}));
  EXPECT_EQ(boxes_.boxes().size(), 1u);
  ExpectAllFreedOnce();
}

TEST_F(SendHookTest, FieldNamesInAnyCaseAndEmptyPiecesGiveLines) {
  // Decoded lines reach the check: "<>" is the host's text for an empty piece.
  UseConfig("TO=^<[a-c]?>$\nCC=^<d>$\nBCC=^<e>$\n");
  EXPECT_EQ(BKC_OnSend("to: a,,b,\ncC: d\nbcc: e\nfrom: x\n\n"), 0);
  EXPECT_EQ(host_.texts, std::vector<std::string>({"a", "", "b", "", "d", "e", "x"}));
  ExpectAllFreedOnce();
  // Raw, undecoded text would not pass.
  UseConfig("TO=^a$\n");
  EXPECT_EQ(BKC_OnSend("To: a\n\n"), -1);
}

TEST_F(SendHookTest, SectionVerdictsUseTheDecodedSender) {
  UseConfig("[^<boss@x>$]\nALL=.\n");
  EXPECT_EQ(BKC_OnSend("From: boss@x\nTo: anyone, else\n\n"), 0);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(BKC_OnSend("From: intern@x\nTo: anyone\n\n"), -1);
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  EXPECT_EQ(boxes_.boxes()[0].text, kNoticeGeneralText);
  ExpectAllFreedOnce();
}

TEST_F(SendHookTest, RewrittenConfigurationJudgesTheNextSend) {
  UseConfig("TO=^<a>$\n");
  EXPECT_EQ(BKC_OnSend("To: b\n\n"), -1);
  testing::WriteFile(path_, "TO=^<b>$\n");
  testing::ShiftFileTime(path_, 5);
  EXPECT_EQ(BKC_OnSend("To: b\n\n"), 0);
}

// Every way the check can break refuses with exactly one general notice,
// leaves no address behind for the next notice, and frees what it was given.
TEST_F(SendHookTest, BrokenChecksFailClosed) {
  UseConfig("ALL=^<ok>$\n[.]\nTO=^<never>$\nTO=(x+x+)+(y|z)\n");
  struct Case {
    const char* name;
    const char* message;
    int null_at_call;
  } cases[] = {
      {"unknown escape", "To: ok, a\\q\n\n", -1},
      {"escape at the end", "To: ok\nCc: b\\\n\n", -1},
      {"null text for a piece", "To: ok, ok\n\n", 1},
      {"null text for the sender", "To: ok\n\n", 1},
      {"engine gives up", "From: me\nTo: xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n\n", -1},
      {"no message", nullptr, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_ = FakeHost();
    host_.null_at_call = c.null_at_call;
    size_t boxes_before = boxes_.boxes().size();
    EXPECT_EQ(BKC_OnSend(c.message), -1);
    ASSERT_EQ(boxes_.boxes().size(), boxes_before + 1);
    EXPECT_EQ(boxes_.boxes().back().text, kNoticeGeneralText);
    EXPECT_EQ(RejectionLog(), "");
    ExpectAllFreedOnce();
  }
}

// Memory running out at any allocation of a send never lets it through,
// shows at most one box, and frees every host text once.
TEST_F(SendHookTest, AllocationFailureAtEveryPointFailsClosed) {
  UseConfig("ALL=^<ok>$\n[^<me>$]\nTO=^<fine>$\n");
  const char* refused = "From: me\nTo: ok, bad\n\n";
  const char* allowed = "From: me\nTo: ok, fine\n\n";
  for (const char* message : {refused, allowed}) {
    for (long n = 0;; ++n) {
      SCOPED_TRACE(n);
      host_ = FakeHost();
      size_t boxes_before = boxes_.boxes().size();
      g_allocations_until_failure = n;
      int result = BKC_OnSend(message);
      bool failure_happened = g_allocations_until_failure < 0;
      g_allocations_until_failure = -1;
      EXPECT_LE(boxes_.boxes().size(), boxes_before + 1);
      ExpectAllFreedOnce();
      EXPECT_EQ(RejectionLog(), "");
      if (message == refused) {
        EXPECT_EQ(result, -1);
      }
      if (!failure_happened) {
        EXPECT_EQ(result, message == refused ? -1 : 0);
        EXPECT_GT(n, 10) << "allocation failures were not injected";
        break;
      }
      EXPECT_TRUE(result == 0 || result == -1);
    }
  }
}

}  // namespace
}  // namespace sendwarden
