// The send check against a fake host: the order of host calls, the release
// of every host text exactly once, the verdicts, and failing closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/send_hook.h"

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "host/host_api.h"
#include "tests/fake_host.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

class SendHookTest : public ::testing::Test {
 protected:
  void SetUp() override { host_.Install(state_.hostApi); }

  void UseConfig(const std::string& text) {
    testing::WriteFile(path_, text);
    ASSERT_TRUE(LoadAllowConfig(path_, state_.config));
  }

  int Send(const char* message) { return CheckSend(state_, message); }

  // Every text the host handed out has been freed exactly once, and every
  // call had the documented arguments.
  void ExpectAllFreedOnce() {
    EXPECT_TRUE(host_.AllFreedOnce());
    EXPECT_EQ(host_.badArguments, 0);
  }

  PluginState state_;
  testing::FakeHost host_;
  testing::BoxRecorder boxes_;
  testing::ScratchDir dir_;
  std::string path_ = dir_.File("Sendwarden.conf");
};

TEST_F(SendHookTest, HostCallsComeInTheDocumentedOrder) {
  UseConfig("ALL=.\n");
  EXPECT_EQ(Send("To: a, b\r\nCc: c\r\nFrom: me\r\n\r\nbody\r\n"), 0);
  EXPECT_EQ(host_.calls, "MFMFMFMF");
  EXPECT_EQ(host_.texts, std::vector<std::string>({"a", "b", "c", "me"}));
  ExpectAllFreedOnce();
}

TEST_F(SendHookTest, NoRecipientsStillDecodesTheSenderAndChecks) {
  EXPECT_EQ(Send("Subject: x\r\n\r\n"), -1);  // empty store refuses
  EXPECT_EQ(host_.calls, "MF");
  EXPECT_EQ(host_.texts, std::vector<std::string>({""}));
  EXPECT_EQ(boxes_.boxes().size(), 1u);
  ExpectAllFreedOnce();
}

TEST_F(SendHookTest, FieldNamesInAnyCaseAndEmptyPiecesGiveLines) {
  // Decoded lines reach the check, an empty one for each empty piece.
  UseConfig("TO=^(Bo <a@x>|b)?$\nCC=^d$\nBCC=^e$\n");
  EXPECT_EQ(Send("to: =?us-ascii?Q?Bo?= <a@x>,,b,\ncC: d\nbcc: e\nfrom: x\n\n"), 0);
  EXPECT_EQ(host_.texts,
            std::vector<std::string>({"=?us-ascii?Q?Bo?= <a@x>", "", "b", "", "d", "e", "x"}));
  ExpectAllFreedOnce();
  // Raw, undecoded text would not pass.
  UseConfig("TO=^=\n");
  EXPECT_EQ(Send("To: =?us-ascii?Q?Bo?= <a@x>\n\n"), -1);
}

TEST_F(SendHookTest, SectionVerdictsUseTheDecodedSender) {
  UseConfig("[^Boss <boss@x>$]\nALL=.\n");
  EXPECT_EQ(Send("From: =?us-ascii?B?Qm9zcw==?= <boss@x>\nTo: anyone, else\n\n"), 0);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(Send("From: intern@x\nTo: anyone\n\n"), -1);
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  EXPECT_EQ(boxes_.boxes()[0].text, kNoticeGeneralText);
  ExpectAllFreedOnce();
}

TEST_F(SendHookTest, RewrittenConfigurationJudgesTheNextSend) {
  UseConfig("TO=^a$\n");
  EXPECT_EQ(Send("To: b\n\n"), -1);
  testing::WriteFile(path_, "TO=^b$\n");
  testing::ShiftFileTime(path_, 5);
  EXPECT_EQ(Send("To: b\n\n"), 0);
}

// The notice: owned by the host's main window once known (none before the
// start), caption "Sendwarden", one OK button, naming only this send's
// refused addresses.
TEST_F(SendHookTest, NoticeOwnerCaptionStyleAndOnlyThisSendsAddresses) {
  UseConfig("ALL=^ok$\n[^me$]\nTO=^ok2$\n");
  EXPECT_EQ(Send("From: me\nTo: A\n\n"), -1);
  state_.mainWindow = reinterpret_cast<WindowHandle>(0x1234);
  EXPECT_EQ(Send("From: me\nTo: ok\n\n"), 0);
  EXPECT_EQ(Send("From: me\nTo: B\n\n"), -1);
  ASSERT_EQ(boxes_.boxes().size(), 2u);
  EXPECT_EQ(boxes_.boxes()[0].owner, nullptr);
  const testing::RecordedBox& box = boxes_.boxes()[1];
  EXPECT_EQ(box.owner, reinterpret_cast<WindowHandle>(0x1234));
  EXPECT_EQ(box.caption, "Sendwarden");
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(box.text, NoticeText({"B"}));
}

// Every way the check can break refuses with exactly one general notice,
// leaves no address behind for the next notice, and frees what it was given.
TEST_F(SendHookTest, BrokenChecksFailClosed) {
  UseConfig("ALL=^ok$\n[.]\nTO=^never$\nTO=(x+x+)+(y|z)\n");
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
    host_ = testing::FakeHost();
    host_.Install(state_.hostApi);
    host_.nullAtCall = c.null_at_call;
    size_t boxes_before = boxes_.boxes().size();
    EXPECT_EQ(Send(c.message), -1);
    ASSERT_EQ(boxes_.boxes().size(), boxes_before + 1);
    EXPECT_EQ(boxes_.boxes().back().text, kNoticeGeneralText);
    ExpectAllFreedOnce();
  }
}

}  // namespace
}  // namespace sendwarden
