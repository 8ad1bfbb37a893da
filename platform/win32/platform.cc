// Windows side of the seam: exactly the Win32 calls the host environment offers.
#include "platform/platform.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace sendwarden {

namespace {
MessageBoxHook g_message_box_hook = nullptr;
ReadHook g_read_hook = nullptr;  // tests only
}  // namespace

bool ReadLastWriteTime(const std::string& path, FileTime* time) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  time->low = found.ftLastWriteTime.dwLowDateTime;
  time->high = found.ftLastWriteTime.dwHighDateTime;
  return true;
}

bool SameFileTime(const FileTime& a, const FileTime& b) {
  FILETIME fa{a.low, a.high};
  FILETIME fb{b.low, b.high};
  return CompareFileTime(&fa, &fb) == 0;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  bytes->clear();
  // Closed on every path, memory running out while appending included: an
  // open handle would keep the user from saving the file until the mail
  // client exits.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (file == nullptr) return false;
  char chunk[65536];
  for (;;) {
    if (g_read_hook != nullptr && !g_read_hook(path, bytes->size())) {
      bytes->clear();
      return false;
    }
    size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes->append(chunk, got);
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file.get())) {
    bytes->clear();
    return false;
  }
  return true;
}

bool ReadFileStamp(const std::string& path, FileStamp* stamp) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  stamp->time = FileTime{found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime};
  stamp->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return true;
}

FileTime CurrentFileTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTime{now.dwLowDateTime, now.dwHighDateTime};
}

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

void SetReadHook(ReadHook hook) { g_read_hook = hook; }

bool ReadModulePath(ModuleHandle module, std::string* path) {
  // A path longer than the first buffer is asked for again, never cut short:
  // a truncated path would name some other configuration file.
  for (DWORD size = 1024; size <= 65536; size *= 2) {
    std::vector<char> buffer(size);
    DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), buffer.data(), size);
    if (length == 0) return false;
    if (length < size) {
      path->assign(buffer.data(), length);
      return true;
    }
  }
  return false;
}

ModuleHandle HostModule() { return GetModuleHandleA(nullptr); }

void* FindHostFunction(ModuleHandle host, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(host), name));
}

void ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                    unsigned style) {
  if (g_message_box_hook != nullptr) {
    g_message_box_hook(owner, text, caption, style);
    return;
  }
  MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

void SetMessageBoxHook(MessageBoxHook hook) { g_message_box_hook = hook; }

std::string FormatText(const char* format, const char* argument, size_t size) {
  char buffer[1025];  // wsprintfA writes at most 1024 bytes and the NUL
  int length = wsprintfA(buffer, format, argument);
  if (length < 0) length = 0;
  if (size > 0 && static_cast<size_t>(length) > size - 1) length = static_cast<int>(size - 1);
  return std::string(buffer, static_cast<size_t>(length));
}

void CopyText(char* destination, const char* source) { lstrcpyA(destination, source); }

}  // namespace sendwarden
