// Linux side of the substitute host: dlopen plays the Windows loader, GMime
// decodes encoded words as a mail client does, iconv converts to the
// plug-in's code page, and boxes are printed.
#include <dlfcn.h>
#include <gmime/gmime.h>
#include <iconv.h>
#include <unistd.h>

#include <cstring>

#include "tools/common/iconv_text.h"
#include "tools/host/host.h"

namespace sendwarden_host {

namespace {
std::string g_codepage = "CP932";
}  // namespace

bool PreparePlatform(unsigned codepage, bool, std::string* error) {
  std::string name = "CP" + std::to_string(codepage);
  iconv_t cd = iconv_open(name.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *error = "unknown code page " + name;
    return false;
  }
  iconv_close(cd);
  g_codepage = name;
  g_mime_init();
  return true;
}

std::string DefaultModulePath() {
  char self[4096];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "Sendwarden.so";
  std::string path(self, static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + "Sendwarden.so";
}

std::string HostTextToUtf8(const std::string& text) {
  return sendwarden_tools::ConvertText(text, "UTF-8", g_codepage.c_str());
}

void* OpenModule(const std::string& path, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    *error = dlerror();
    return nullptr;
  }
  // Linux has no loader notification with an answer; play the Windows loader.
  auto entry = reinterpret_cast<int (*)(void*, unsigned long, void*)>(dlsym(handle, "DllMain"));
  if (entry == nullptr || entry(handle, 1, nullptr) == 0) {
    *error = entry == nullptr ? "no entry point" : "the module's entry point refused the load";
    dlclose(handle);
    return nullptr;
  }
  return handle;
}

void* FindExport(void* module, const char* name) { return dlsym(module, name); }

void CloseModule(void* module) { dlclose(module); }

bool PreloadLibrary(const std::string& path, std::string* error) {
  if (dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr) return true;
  *error = dlerror();
  return false;
}

}  // namespace sendwarden_host

using namespace sendwarden_host;

// The host functions the plug-in binds, exported from this executable. A test
// build leaves one out to see the plug-in refuse to load.
extern "C" {

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_GetWindowHandles
HOST_EXPORT int BKA_GetWindowHandles(void** main, void** tree, void** list,
                                                void** view) {
  static int main_window;
  if (main) *main = &main_window;  // a dummy main window
  if (tree) *tree = nullptr;
  if (list) *list = nullptr;
  if (view) *view = nullptr;
  return 1;
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_RegisterCommand
HOST_EXPORT int BKA_RegisterCommand(const char*, int, void*) { return 0; }
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_MIMEHeader
// Decodes RFC 2047 encoded words into the plug-in's code page. A text
// without encoded words is handed back byte for byte.
HOST_EXPORT char* BKA_MIMEHeader(const char* text, char*, int, int) {
  if (std::strstr(text, "=?") == nullptr) return HandOutText(text);
  char* utf8 = g_mime_utils_header_decode_text(nullptr, text);
  std::string decoded =
      sendwarden_tools::ConvertText(utf8 == nullptr ? text : utf8, g_codepage.c_str(), "UTF-8");
  g_free(utf8);
  return HandOutText(decoded);
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_Free
HOST_EXPORT void BKA_Free(void* text) { TakeBackText(text); }
#endif

// The plug-in's stand-in for Windows' MessageBoxA shows boxes through this.
HOST_EXPORT int MessageBoxA(void* owner, const char* text, const char* caption,
                                       unsigned style) {
  PrintBox(owner, text, caption, style);
  return 1;  // IDOK
}

}  // extern "C"
