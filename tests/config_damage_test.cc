// A damaged configuration may allow less than the intact one, never more:
// random valid files, one damage each, checked on random recipients; and a
// file read while it is being saved, through the platform's read hook.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "config/reload.h"
#include "config/settled_read.h"
#include "platform/platform.h"
#include "tests/random_picker.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

const char* const kUsers[] = {"sales", "boss", "intern", "x"};
const char* const kDomains[] = {"example.co.jp", "partner.example.com", "example.co.jp.evil.test",
                                "evil.test", "bank.example.jp"};

class Generator : public testing::RandomPicker {
 public:
  using RandomPicker::RandomPicker;

  std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '.' ? std::string("\\.") : std::string(1, c);
    return out;
  }

  // A file of a default rule and a few sections, every pattern anchored the
  // way the guide writes them.
  std::string Config() {
    std::string file;
    const char* keys[] = {"ALL", "TO", "CC", "BCC"};
    size_t sections = Below(4);
    for (size_t s = 0; s <= sections; ++s) {
      if (s > 0) {
        file += "[(^|<)" + Escaped(std::string(Pick(kUsers)) + "@" + Pick(kDomains)) + ">?$]\n";
      }
      for (size_t i = 0, n = 1 + Below(3); i < n; ++i) {
        file += std::string(keys[Below(4)]) + "=@" + Escaped(Pick(kDomains)) + ">?$\n";
      }
      if (Below(3) == 0) file += "# a note\n";
    }
    return file;
  }

  Recipients Message() {
    Recipients r;
    r.sender = std::string(Pick(kUsers)) + "@" + Pick(kDomains);
    for (Field field : kAddressFields) {
      for (size_t i = 0, n = Below(3); i < n; ++i) {
        std::string address = std::string(Pick(kUsers)) + "@" + Pick(kDomains);
        r.Lines(field).push_back(Below(2) == 0 ? address : "Name <" + address + ">");
      }
    }
    return r;
  }

  // One damage of the kinds users make: a byte-order mark, blanks around a
  // header's brackets, a header's "]" lost, a 0x1A somewhere, a header put
  // out of use with "#", a line end an old editor wrote as a lone CR, a copy
  // cut short (read a moment after it was written).
  std::string Damage(std::string file, std::string* kind) {
    std::vector<size_t> headers;
    for (size_t at = file.find('['); at != std::string::npos; at = file.find("\n[", at + 1)) {
      headers.push_back(at == 0 || file[at] == '[' ? at : at + 1);
    }
    switch (choice_ = Below(10)) {
      case 0:
        *kind = "byte-order mark";
        return "\xEF\xBB\xBF" + file;
      case 1:
        if (headers.empty()) break;
        *kind = "blanks around brackets";
        {
          size_t at = headers[Below(headers.size())];
          size_t end = file.find('\n', at);
          file.insert(end, " \t");
          file.insert(at, "  ");
        }
        return file;
      case 2:
        if (headers.empty()) break;
        *kind = "lost ]";
        file.erase(file.find('\n', headers[Below(headers.size())]) - 1, 1);
        return file;
      case 3:
      case 4:
      case 5:
        if (headers.empty()) break;
        {
          size_t at = headers[Below(headers.size())];
          size_t end = file.find('\n', at);
          if (choice_ == 3) {
            *kind = "full-width brackets";
            file.replace(end - 1, 1, "\x81\x6E");
            file.replace(at, 1, "\x81\x6D");
          } else if (choice_ == 4) {
            *kind = "a note after the header";
            file.insert(end, " # sales = eigyo");
          } else {
            *kind = "parentheses for brackets";
            file[end - 1] = ')';
            file[at] = '(';
          }
        }
        return file;
      case 6:
        if (headers.empty()) break;
        *kind = "commented-out header";
        file.insert(headers[Below(headers.size())], Below(2) ? "#" : "# ");
        return file;
      case 7: {
        *kind = "lone CR for a line end";
        size_t at = file.find('\n', Below(file.size()));
        if (at == std::string::npos || at + 1 == file.size()) break;
        file[at] = '\r';
        return file;
      }
      case 8:
        *kind = "cut short";
        file.resize(Below(file.size()));
        return file;
      default:
        break;
    }
    *kind = "0x1A";
    file.insert(Below(file.size() + 1), "\x1A");
    return file;
  }

 private:
  int choice_ = 0;
};

bool Allowed(const AllowConfig& config, const Recipients& recipients) {
  return CheckRecipients(config, recipients).allowed;
}

size_t g_fail_at = 0;  // the offset at which the read hook fails a read
bool FailAt(const std::string&, uint64_t offset) { return offset < g_fail_at; }

TEST(ConfigDamage, DamagedFilesNeverAllowWhatTheIntactOneRefuses) {
  testing::ScratchDir dir;
  std::string path = dir.File("Sendwarden.conf");
  Generator generate(20261209);
  size_t compared = 0, narrowed = 0;
  for (int round = 0; round < 400; ++round) {
    std::string intact = generate.Config();
    std::string kind;
    std::string damaged = generate.Damage(intact, &kind);
    AllowConfig good, bad;
    testing::WriteFile(path, intact);
    ASSERT_TRUE(LoadAllowConfig(path, good));
    testing::WriteFile(path, damaged);
    // A copy cut short is read while it is fresh: written a second ago.
    if (kind == "cut short") testing::ShiftFileTime(path, 4);
    LoadAllowConfig(path, bad);
    for (int i = 0; i < 30; ++i) {
      Recipients message = generate.Message();
      bool now = Allowed(bad, message);
      ASSERT_TRUE(!now || Allowed(good, message))
          << kind << "\nintact:\n" << intact << "damaged:\n" << damaged;
      narrowed += Allowed(good, message) && !now;
      ++compared;
    }
  }
  // A damage that never changed a verdict would prove nothing.
  std::printf("%zu verdicts compared, %zu narrowed by the damage\n", compared, narrowed);
  EXPECT_GT(narrowed, compared / 100);
}

// A last line without a line feed is a save caught half-way only while the
// file is fresh: once it has been still a while, it is used (Notepad writes
// files so), and until then each send reads the file again.
TEST(ConfigDamage, AnUnendedLastLineWaitsUntilTheFileIsStill) {
  testing::ScratchDir dir;
  std::string path = dir.File("Sendwarden.conf");
  testing::WriteFile(path, "ALL=@partner\\.test>?$\nALL=@example\\.co\\.jp>?$");
  testing::ShiftFileTime(path, 4);  // written a second ago
  AllowConfig config;
  ASSERT_TRUE(LoadAllowConfig(path, config));
  EXPECT_EQ(testing::DumpStore(config), "default\n  ALL [@partner\\.test>?$]\n");
  EXPECT_FALSE(config.file.lastWriteTime.has_value());  // read again at the next send
  testing::ShiftFileTime(path, -4);  // still since five seconds
  ASSERT_TRUE(ReloadIfChanged(config));
  EXPECT_EQ(testing::DumpStore(config),
            "default\n  ALL [@partner\\.test>?$] [@example\\.co\\.jp>?$]\n");
  EXPECT_TRUE(config.file.lastWriteTime.has_value());
}

// A read that fails part-way reads nothing: half a file would keep the
// pattern it cut, which allows more than the whole one.
TEST(ConfigDamage, AReadErrorPartWayFailsTheLoad) {
  testing::ScratchDir dir;
  std::string path = dir.File("Sendwarden.conf");
  // Long enough to need several reads.
  std::string file = "#" + std::string(200000, 'x') + "\nALL=@example\\.co\\.jp>?$\n";
  testing::WriteFile(path, file);
  AllowConfig config;
  g_fail_at = 65536;
  SetReadHook(&FailAt);
  EXPECT_FALSE(LoadAllowConfig(path, config));
  EXPECT_TRUE(config.Empty());
  EXPECT_FALSE(config.file.lastWriteTime.has_value());  // tried again at the next send
  SetReadHook(nullptr);
  EXPECT_TRUE(ReloadIfChanged(config));
  EXPECT_FALSE(config.Empty());
}

// A save that lands while the file is read: the load reads again, and a file
// that keeps changing is no file for this send.
std::string g_path;
int g_writes_left = 0;
bool SaveDuringRead(const std::string& path, uint64_t offset) {
  if (offset == 0 && g_writes_left > 0 && path == g_path) {
    --g_writes_left;
    testing::WriteFile(path, g_writes_left % 2 == 0 ? "ALL=@a\\.test>?$\n" : "ALL=@b\\.test>?$\nALL=x\n");
    testing::ShiftFileTime(path, -g_writes_left);
  }
  return true;
}

TEST(ConfigDamage, AFileSavedWhileReadIsReadAgainOrNotAtAll) {
  testing::ScratchDir dir;
  g_path = dir.File("Sendwarden.conf");
  testing::WriteFile(g_path, "ALL=@old\\.test>?$\n");
  SetReadHook(&SaveDuringRead);
  AllowConfig config;
  g_writes_left = 1;  // one save, then quiet
  EXPECT_TRUE(LoadAllowConfig(g_path, config));
  EXPECT_EQ(testing::DumpStore(config), "default\n  ALL [@a\\.test>?$]\n");
  g_writes_left = 1000;  // saved again and again
  EXPECT_FALSE(LoadAllowConfig(g_path, config));
  EXPECT_TRUE(config.Empty());
  SetReadHook(nullptr);
}

}  // namespace
}  // namespace sendwarden
