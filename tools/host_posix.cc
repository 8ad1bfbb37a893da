// Linux side of the substitute host: dlopen plays the Windows loader, GMime
// decodes encoded words as a mail client does, iconv converts to the
// plug-in's code page, and boxes are printed.
#include <dlfcn.h>
#include <gmime/gmime.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "tools/host.h"

namespace sendwarden_host {

struct Plugin {
  void* handle;
  int (*on_start)();
  int (*on_exit)();
  int (*on_send)(const char*);
  int (*on_info)(void*);
};

namespace {

std::string g_codepage = "CP932";
std::map<void*, int> g_outstanding;
long g_unknown_frees = 0;

std::string Convert(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t done = iconv(cd, &in, &in_left, &out_ptr, &out_left);
    out.append(buffer, out_ptr - buffer);
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      out += '?';  // a byte the code page cannot hold
      ++in;
      --in_left;
    }
  }
  iconv_close(cd);
  return out;
}

[[maybe_unused]] char* HandOut(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  ++g_outstanding[copy];
  return copy;
}

}  // namespace

bool PreparePlatform(const std::string& codepage, bool, std::string* error) {
  iconv_t cd = iconv_open(codepage.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *error = "unknown code page " + codepage;
    return false;
  }
  iconv_close(cd);
  g_codepage = codepage;
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

std::string ToTerminal(const std::string& text) {
  return Convert(text, "UTF-8", g_codepage.c_str());
}

Plugin* LoadPlugin(const std::string& path, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    *error = dlerror();
    return nullptr;
  }
  auto entry = reinterpret_cast<int (*)(void*, unsigned long, void*)>(dlsym(handle, "DllMain"));
  if (entry == nullptr || entry(handle, 1, nullptr) == 0) {
    *error = entry == nullptr ? "no entry point" : "the module's entry point refused the load";
    dlclose(handle);
    return nullptr;
  }
  Plugin* plugin = new Plugin{handle,
                              reinterpret_cast<int (*)()>(dlsym(handle, "BKC_OnStart")),
                              reinterpret_cast<int (*)()>(dlsym(handle, "BKC_OnExit")),
                              reinterpret_cast<int (*)(const char*)>(dlsym(handle, "BKC_OnSend")),
                              reinterpret_cast<int (*)(void*)>(dlsym(handle, "BKC_OnPlugInInfo"))};
  if (!plugin->on_start || !plugin->on_exit || !plugin->on_send || !plugin->on_info) {
    *error = "a BKC_ callback is missing";
    UnloadPlugin(plugin);
    return nullptr;
  }
  return plugin;
}

void UnloadPlugin(Plugin* plugin) {
  dlclose(plugin->handle);
  delete plugin;
}

int CallOnStart(Plugin* plugin) { return plugin->on_start(); }
int CallOnSend(Plugin* plugin, const char* message) { return plugin->on_send(message); }
int CallOnExit(Plugin* plugin) { return plugin->on_exit(); }
int CallOnPlugInInfo(Plugin* plugin, void* record) { return plugin->on_info(record); }

long OutstandingTexts() {
  long count = 0;
  for (const auto& entry : g_outstanding) count += entry.second;
  return count;
}

long UnknownFrees() { return g_unknown_frees; }

}  // namespace sendwarden_host

using namespace sendwarden_host;

// The host functions the plug-in binds, exported from this executable. A test
// build leaves one out to see the plug-in refuse to load.
extern "C" {

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_GetWindowHandles
__attribute__((visibility("default"))) int BKA_GetWindowHandles(void** main, void** tree,
                                                                void** list, void** view) {
  static int main_window;
  if (main) *main = &main_window;  // a dummy main window
  if (tree) *tree = nullptr;
  if (list) *list = nullptr;
  if (view) *view = nullptr;
  return 1;
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_RegisterCommand
__attribute__((visibility("default"))) int BKA_RegisterCommand(const char*, int, void*) {
  return 0;
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_MIMEHeader
// Decodes RFC 2047 encoded words into the plug-in's code page. A text
// without encoded words is handed back byte for byte.
__attribute__((visibility("default"))) char* BKA_MIMEHeader(const char* text, char*, int, int) {
  if (std::strstr(text, "=?") == nullptr) return HandOut(text);
  char* utf8 = g_mime_utils_header_decode_text(nullptr, text);
  std::string decoded = Convert(utf8 == nullptr ? text : utf8, g_codepage.c_str(), "UTF-8");
  g_free(utf8);
  return HandOut(decoded);
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_Free
__attribute__((visibility("default"))) void BKA_Free(void* text) {
  auto entry = g_outstanding.find(text);
  if (entry == g_outstanding.end() || entry->second == 0) {
    ++g_unknown_frees;
    return;
  }
  --entry->second;
  std::free(text);
}
#endif

// The plug-in's stand-in for Windows' MessageBoxA shows boxes through this.
__attribute__((visibility("default"))) int MessageBoxA(void* owner, const char* text,
                                                       const char* caption, unsigned style) {
  PrintBox(owner, text, caption, style);
  return 1;  // IDOK
}

}  // extern "C"
