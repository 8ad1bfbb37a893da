#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>

namespace sendwarden {
namespace testing {

long* g_allocationCountdown = nullptr;

InjectionPause::InjectionPause() : saved_(g_allocationCountdown ? *g_allocationCountdown : -1) {
  if (g_allocationCountdown) *g_allocationCountdown = -1;
}

InjectionPause::~InjectionPause() {
  if (g_allocationCountdown) *g_allocationCountdown = saved_;
}

namespace {
std::vector<RecordedBox>* g_boxes = nullptr;

void Record(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  InjectionPause pause;
  if (g_boxes != nullptr) g_boxes->push_back({owner, text, caption, style});
}

void DumpList(std::string& out, const char* name, const PatternList& list) {
  if (list.empty()) return;
  out += "  ";
  out += name;
  for (const auto& entry : list) out += " [" + entry.text + "]";
  out += "\n";
}

void DumpRule(std::string& out, const RecipientRule& rule) {
  DumpList(out, "ALL", rule.allPatterns);
  DumpList(out, "TO", rule.toPatterns);
  DumpList(out, "CC", rule.ccPatterns);
  DumpList(out, "BCC", rule.bccPatterns);
}
}  // namespace

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("sendwarden-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::File(const std::string& name) const { return (path_ / name).string(); }

void WriteFile(const std::string& path, const std::string& bytes) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Saved a while ago, so that a load does not pause to let it settle.
  std::error_code ignored;
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(5), ignored);
}

void ShiftFileTime(const std::string& path, int seconds) {
  auto time = std::filesystem::last_write_time(path);
  std::filesystem::last_write_time(path, time + std::chrono::seconds(seconds));
}

std::string DumpStore(const AllowConfig& config) {
  std::string out;
  if (config.defaultRule != nullptr) {
    out += "default\n";
    DumpRule(out, *config.defaultRule);
  }
  for (const SenderSection& section : config.sections) {
    out += "[" + section.senderPattern->str() + "]\n";
    DumpRule(out, *section.rule);
  }
  return out;
}

BoxRecorder::BoxRecorder() : previous_(g_boxes) {
  g_boxes = &boxes_;
  SetMessageBoxHook(&Record);
}

BoxRecorder::~BoxRecorder() {
  g_boxes = previous_;
  if (previous_ == nullptr) SetMessageBoxHook(nullptr);
}

size_t OpenHandleCount() {
#ifdef _WIN32
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
#else
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
#endif
}

AddressLines Entries(std::string_view text) {
  AddressLines entries;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    entries.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace testing
}  // namespace sendwarden
