// Windows side of the substitute host: LoadLibraryA by full path, encoded
// words decoded by the tools' own decoder over the Windows code-page
// functions, and, in record mode, USER32!MessageBoxA redirected for the whole
// process to a printer, so that every box (the load-failure box inside the
// entry point too) is seen without a display.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"
#include "tools/common/recode_win32.h"
#include "tools/sendwarden-host/host.h"

namespace sendwarden_host {

namespace {

UINT g_codepage = 932;
HWND g_main_window = nullptr;

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  PrintBox(owner, text == nullptr ? "" : text, caption == nullptr ? "" : caption, style);
  return IDOK;
}

// Overwrites the start of MessageBoxA with a jump to the recorder.
bool RedirectMessageBox() {
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (user32 == nullptr) return false;
  auto* target = reinterpret_cast<unsigned char*>(GetProcAddress(user32, "MessageBoxA"));
  if (target == nullptr) return false;
#if defined(_WIN64)
  // jmp [rip+0] with the address after it: on x86-64 user32 may lie more
  // than 2 GB away from this executable, out of reach of a relative jump.
  unsigned char patch[14] = {0xFF, 0x25, 0x00, 0x00, 0x00, 0x00};
  uint64_t address = reinterpret_cast<uintptr_t>(&RecordMessageBox);
  std::memcpy(patch + 6, &address, sizeof address);
#else
  unsigned char patch[5] = {0xE9};  // jmp rel32
  int32_t offset = static_cast<int32_t>(reinterpret_cast<intptr_t>(&RecordMessageBox) -
                                        reinterpret_cast<intptr_t>(target + 5));
  std::memcpy(patch + 1, &offset, sizeof offset);
#endif
  DWORD old_protection;
  if (!VirtualProtect(target, sizeof patch, PAGE_EXECUTE_READWRITE, &old_protection)) {
    return false;
  }
  std::memcpy(target, patch, sizeof patch);
  VirtualProtect(target, sizeof patch, old_protection, &old_protection);
  FlushInstructionCache(GetCurrentProcess(), target, sizeof patch);
  return true;
}

}  // namespace

bool PreparePlatform(unsigned codepage, bool record, std::string* error) {
  if (!IsValidCodePage(codepage)) {
    *error = "unknown code page " + std::to_string(codepage);
    return false;
  }
  g_codepage = codepage;
  if (!record) {
    // Real boxes need a real owner: a small stand-in for the mail client's
    // main window (none when there is no display; the box then has no owner).
    g_main_window = CreateWindowExA(0, "STATIC", "Becky! (sendwarden-host)",
                                    WS_OVERLAPPEDWINDOW, 0, 0, 320, 120, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
  }
  if (record && !RedirectMessageBox()) {
    *error = "cannot redirect MessageBoxA";
    return false;
  }
  return true;
}

std::string DefaultModulePath() {
  char self[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + "Sendwarden.dll";
}

std::string HostTextToUtf8(const std::string& text) {
  return sendwarden_tools::Recode(text, g_codepage, CP_UTF8);
}

void* OpenModule(const std::string& path, std::string* error) {
  // By full path: Windows would otherwise prefer a same-named DLL beside the
  // host executable.
  static char full[32768];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    *error = "bad module path";
    return nullptr;
  }
  HMODULE module = LoadLibraryA(full);
  if (module == nullptr) {
    *error = "LoadLibraryA failed with error " + std::to_string(GetLastError());
  }
  return module;
}

void* FindExport(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

bool PreloadLibrary(const std::string& path, std::string* error) {
  // Kept loaded: a library another plug-in brought stays for the process.
  if (LoadLibraryA(path.c_str()) != nullptr) return true;
  *error = "LoadLibraryA failed with error " + std::to_string(GetLastError());
  return false;
}

}  // namespace sendwarden_host

using namespace sendwarden_host;

// The host functions, exported from this executable under undecorated names
// (--kill-at). A test build leaves one out.
extern "C" {

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_GetWindowHandles
__declspec(dllexport) BOOL WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list,
                                                       HWND* view) {
  // Recorded boxes are never shown, so a dummy owner will do.
  if (main) *main = g_main_window != nullptr ? g_main_window : reinterpret_cast<HWND>(0x00C0FFEE);
  if (tree) *tree = nullptr;
  if (list) *list = nullptr;
  if (view) *view = nullptr;
  return TRUE;
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_RegisterCommand
__declspec(dllexport) int WINAPI BKA_RegisterCommand(LPCSTR, int, void*) { return 0; }
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_MIMEHeader
// Decodes encoded words into code page 932; under any other code page the
// text is handed back undecoded.
__declspec(dllexport) LPSTR WINAPI BKA_MIMEHeader(LPCSTR text, LPSTR, int, BOOL) {
  if (g_codepage != 932) return HandOutText(text);
  return HandOutText(sendwarden_tools::DecodeEncodedWords(text, &sendwarden_tools::ConvertToCp932));
}
#endif

#ifndef SENDWARDEN_HOST_WITHOUT_BKA_Free
__declspec(dllexport) void WINAPI BKA_Free(LPVOID text) { TakeBackText(text); }
#endif

}  // extern "C"
