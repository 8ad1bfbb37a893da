// Linux side of the seam: stands in for the Win32 calls so that the same
// plug-in logic runs in the substitute host and the native tests.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sendwarden {

namespace {

MessageBoxHook g_message_box_hook = nullptr;
ReadHook g_read_hook = nullptr;  // tests only

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;

using HostMessageBox = int (*)(void*, const char*, const char*, unsigned);

}  // namespace

bool ReadLastWriteTime(const std::string& path, FileTime* time) {
  if (path.empty()) return false;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  int64_t ticks = (static_cast<int64_t>(info.st_mtim.tv_sec) + kEpochDifference) * 10000000LL +
                  info.st_mtim.tv_nsec / 100;
  uint64_t value = static_cast<uint64_t>(ticks);
  time->low = static_cast<uint32_t>(value);
  time->high = static_cast<uint32_t>(value >> 32);
  return true;
}

bool SameFileTime(const FileTime& a, const FileTime& b) {
  return a.low == b.low && a.high == b.high;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  bytes->clear();
  if (path.empty()) return false;
  // Closed on every path, memory running out while appending included.
  struct Descriptor {
    int fd;
    ~Descriptor() {
      if (fd >= 0) close(fd);
    }
  } file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return false;
  // Windows cannot open a directory as a file; neither do we.
  struct stat info;
  if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  char chunk[65536];
  for (;;) {
    ssize_t got = g_read_hook != nullptr && !g_read_hook(path, bytes->size())
                      ? -1
                      : read(file.fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      bytes->clear();
      return false;
    }
    if (got == 0) break;
    bytes->append(chunk, static_cast<size_t>(got));
  }
  return true;
}

bool ReadFileStamp(const std::string& path, FileStamp* stamp) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) return false;
  if (!ReadLastWriteTime(path, &stamp->time)) return false;
  stamp->size = static_cast<uint64_t>(info.st_size);
  return true;
}

FileTime CurrentFileTime() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t ticks = static_cast<uint64_t>((static_cast<int64_t>(now.tv_sec) + kEpochDifference) *
                                             10000000LL +
                                         now.tv_nsec / 100);
  return FileTime{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

void SleepMilliseconds(unsigned milliseconds) {
  struct timespec pause = {static_cast<time_t>(milliseconds / 1000),
                           static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

void SetReadHook(ReadHook hook) { g_read_hook = hook; }

// The unwinder finds a shared object's tables through the dynamic loader.
void ClaimUnwindTables(ModuleHandle) {}
void ReleaseUnwindTables() {}

bool ReadModulePath(ModuleHandle, std::string* path) {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ReadModulePath), &info) == 0 ||
      info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
    return false;
  }
  std::string name = info.dli_fname;
  if (name[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    name = std::string(cwd) + "/" + name;
  }
  *path = name;
  return true;
}

ModuleHandle HostModule() { return dlopen(nullptr, RTLD_LAZY); }

void* FindHostFunction(ModuleHandle host, const char* name) {
  return host == nullptr ? nullptr : dlsym(host, name);
}

void ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                    unsigned style) {
  if (g_message_box_hook != nullptr) {
    g_message_box_hook(owner, text, caption, style);
    return;
  }
  // The substitute host shows boxes by exporting a MessageBoxA of its own.
  auto host_box = reinterpret_cast<HostMessageBox>(dlsym(RTLD_DEFAULT, "MessageBoxA"));
  if (host_box != nullptr) {
    host_box(owner, text, caption, style);
    return;
  }
  std::fprintf(stderr, "[%s] %s\n", caption, text);
}

void SetMessageBoxHook(MessageBoxHook hook) { g_message_box_hook = hook; }

std::string FormatText(const char* format, const char* argument, size_t size) {
  char buffer[1025];
  int length = std::snprintf(buffer, sizeof buffer, format, argument);
  if (length < 0) length = 0;
  size_t limit = size > 0 ? size - 1 : 0;
  if (limit > sizeof buffer - 1) limit = sizeof buffer - 1;
  return std::string(buffer, std::min(static_cast<size_t>(length), limit));
}

void CopyText(char* destination, const char* source) { std::strcpy(destination, source); }

}  // namespace sendwarden
