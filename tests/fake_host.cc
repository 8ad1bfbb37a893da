#include "tests/fake_host.h"

#include <cstdlib>
#include <cstring>

#include "tests/test_support.h"
#include "tools/common/encoded_words.h"

namespace sendwarden {
namespace testing {

namespace {

FakeHost* g_host = nullptr;

// Every charset is taken as bytes that need no conversion.
bool KeepBytes(const std::string& bytes, const std::string&, std::string* out) {
  *out = bytes;
  return true;
}

char* SENDWARDEN_WINAPI FakeMimeHeader(const char* text, char* charset, int size, int flag) {
  InjectionPause pause;
  if (text == nullptr || charset != nullptr || size != 0 || flag != 0) ++g_host->badArguments;
  int index = static_cast<int>(g_host->texts.size());
  g_host->calls += "M";
  g_host->texts.push_back(text == nullptr ? "" : text);
  if (index == g_host->nullAtCall || text == nullptr) return nullptr;
  std::string decoded = g_host->decodeWords
                            ? sendwarden_tools::DecodeEncodedWords(text, &KeepBytes)
                            : "{" + std::string(text) + "}";
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
    ++g_host->unknownFrees;
    return;
  }
  --entry->second;
  std::free(text);
}

int SENDWARDEN_WINAPI FakeWindowHandles(WindowHandle* main, WindowHandle* tree,
                                        WindowHandle* list, WindowHandle* view) {
  *main = g_host->mainWindow;
  *tree = *list = *view = nullptr;
  return 1;
}

}  // namespace

bool FakeHost::AllFreedOnce() const {
  for (const auto& entry : outstanding) {
    if (entry.second != 0) return false;
  }
  return unknownFrees == 0;
}

void FakeHost::Install(HostApi& api) {
  g_host = this;
  api.BKA_MIMEHeader = &FakeMimeHeader;
  api.BKA_Free = &FakeFree;
  api.BKA_GetWindowHandles = &FakeWindowHandles;
}

}  // namespace testing
}  // namespace sendwarden
