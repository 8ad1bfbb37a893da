// Linux side of the substitute host: dlopen plays the Windows loader, GMime
// decodes encoded words as a mail client does, iconv converts to the
// plug-in's code page, and boxes are printed.
#include <dlfcn.h>
#include <gmime/gmime.h>
#include <iconv.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "tools/common/iconv_text.h"
#include "tools/sendwarden-host/host.h"

namespace sendwarden_host {

namespace {
std::string g_codepage = "CP932";

struct EncodedWord {
  size_t begin, end;
  std::string charset;  // without an RFC 2231 "*language", lower case
  char encoding;        // 'b' or 'q'
};

// The encoded words of `text`: "=?charset?B|Q?text?=", nothing blank in the
// charset, no "?" in the text.
std::vector<EncodedWord> FindWords(const std::string& text) {
  std::vector<EncodedWord> words;
  for (size_t at = text.find("=?"); at != std::string::npos; at = text.find("=?", at)) {
    size_t mark = text.find('?', at + 2);
    if (mark == std::string::npos || mark == at + 2 || mark + 2 >= text.size() ||
        std::strchr("BbQq", text[mark + 1]) == nullptr || text[mark + 2] != '?') {
      at += 2;
      continue;
    }
    size_t close = text.find("?=", mark + 3);
    std::string charset = text.substr(at + 2, mark - at - 2);
    if (close == std::string::npos || charset.find_first_of(" \t\r\n") != std::string::npos) {
      at += 2;
      continue;
    }
    charset = charset.substr(0, charset.find('*'));
    for (char& c : charset) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    words.push_back({at, close + 2, charset, static_cast<char>(std::tolower(text[mark + 1]))});
    at = close + 2;
  }
  return words;
}

bool KnownCharset(const std::string& charset) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

bool OnlyBlanks(const std::string& text, size_t from, size_t to) {
  return text.find_first_not_of(" \t\r\n", from) >= to;
}

// GMime's reading of one run of words, in the plug-in's code page.
std::string DecodeRun(const std::string& run) {
  char* utf8 = g_mime_utils_header_decode_text(nullptr, run.c_str());
  std::string decoded = sendwarden_tools::ConvertText(utf8 == nullptr ? run : utf8,
                                                      g_codepage.c_str(), "UTF-8");
  g_free(utf8);
  return decoded;
}

// Decodes the encoded words of `text` as a mail client does: GMime reads
// each run of words (only blanks between them, one charset and encoding;
// ISO-2022-JP, whose words each switch back to ASCII, word by word) and
// iconv converts into the plug-in's code page. A word in a charset iconv
// does not know stays as it stands, and so does all other text, raw 8-bit
// bytes too: the blanks between two decoded runs go.
std::string DecodeHeader(const std::string& text) {
  std::vector<EncodedWord> words = FindWords(text);
  std::string out;
  size_t cursor = 0;
  bool after_decoded = false;
  for (size_t i = 0; i < words.size();) {
    const EncodedWord& first = words[i];
    bool known = KnownCharset(first.charset);
    size_t last = i;
    bool stateful = first.charset.compare(0, 8, "iso-2022") == 0;
    while (known && !stateful && last + 1 < words.size() &&
           words[last + 1].charset == first.charset &&
           words[last + 1].encoding == first.encoding &&
           OnlyBlanks(text, words[last].end, words[last + 1].begin)) {
      ++last;
    }
    if (!(known && after_decoded && OnlyBlanks(text, cursor, first.begin))) {
      out.append(text, cursor, first.begin - cursor);
    }
    std::string run = text.substr(first.begin, words[last].end - first.begin);
    out += known ? DecodeRun(run) : run;
    after_decoded = known;
    cursor = words[last].end;
    i = last + 1;
  }
  out.append(text, cursor, std::string::npos);
  return out;
}
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
// Decodes RFC 2047 encoded words into the plug-in's code page (DecodeHeader).
HOST_EXPORT char* BKA_MIMEHeader(const char* text, char*, int, int) {
  return HandOutText(DecodeHeader(text));
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
