// Helpers shared by the tests: scratch files, a store dump, and a recorder
// for message boxes that works the same on both targets.
#ifndef SENDWARDEN_TESTS_TEST_SUPPORT_H_
#define SENDWARDEN_TESTS_TEST_SUPPORT_H_

#include <filesystem>
#include <string>
#include <vector>

#include "config/rule_store.h"
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

void WriteFile(const std::string& path, const std::string& bytes);

// Moves a file's last-write time by whole seconds, so a change is visible
// whatever the file system's resolution.
void ShiftFileTime(const std::string& path, int seconds);

// The store as text: one line per list, pattern texts in order.
std::string DumpStore(const AllowConfig& config);

// Resets the process-wide store (rules, path and time) between tests.
void ResetStore();

struct RecordedBox {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

// Records every box shown while it lives, instead of showing it.
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  const std::vector<RecordedBox>& boxes() const;
};

// Bytes as lower-case hex, two digits each, no separators.
std::string Hex(const std::string& bytes);

}  // namespace testing
}  // namespace sendwarden

#endif  // SENDWARDEN_TESTS_TEST_SUPPORT_H_
