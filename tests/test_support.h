// Helpers shared by the tests: scratch files, a store dump, and a recorder
// for message boxes that works the same on both targets.
#ifndef SENDWARDEN_TESTS_TEST_SUPPORT_H_
#define SENDWARDEN_TESTS_TEST_SUPPORT_H_

#include <filesystem>
#include <string>
#include <vector>

#include "config/rule_store.h"
#include "message/recipients.h"
#include "platform/platform.h"

namespace sendwarden {
namespace testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string File(const std::string& name) const;  // path of a file inside
 private:
  std::filesystem::path path_;
};

// Writes `bytes` and dates the file five seconds back.
void WriteFile(const std::string& path, const std::string& bytes);

// Moves a file's last-write time by whole seconds, so a change is visible
// whatever the file system's resolution.
void ShiftFileTime(const std::string& path, int seconds);

// The store as text: one line per list, pattern texts in order.
std::string DumpStore(const AllowConfig& config);

struct RecordedBox {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

// Records every box shown while it lives, instead of showing it. Recorders
// nest: the innermost one records.
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  const std::vector<RecordedBox>& boxes() const { return boxes_; }

 private:
  std::vector<RecordedBox> boxes_;
  std::vector<RecordedBox>* previous_;
};

// Allocation-failure tests point this at their countdown. The host and its
// message boxes are not the plug-in's code and never fail, so what they
// allocate for the tests' bookkeeping is kept out of the countdown.
extern long* g_allocationCountdown;

class InjectionPause {
 public:
  InjectionPause();
  ~InjectionPause();

 private:
  long saved_;
};

// How many files and other kernel objects the process holds open.
size_t OpenHandleCount();

// Bytes as lower-case hex, two digits each, no separators.
std::string Hex(const std::string& bytes);

// A field as tests write it: one entry per line of `text` ("a\nb\n" is the
// entries a and b, "a\n\n" an a and an empty entry).
AddressLines Entries(std::string_view text);

}  // namespace testing
}  // namespace sendwarden

#endif  // SENDWARDEN_TESTS_TEST_SUPPORT_H_
