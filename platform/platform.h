// The seam between the plug-in's logic and the operating system.
//
// Everything the logic needs of the platform passes through these few
// functions: the last-write time of a file, the bytes of a file, the module's
// own path, finding a host function, and showing a message box. Each target
// has one implementation file: platform/win32/platform.cc calls the Win32
// functions the host expects; platform/posix/platform.cc stands in for them on
// Linux for the substitute host and the tests.
#ifndef SENDWARDEN_PLATFORM_PLATFORM_H_
#define SENDWARDEN_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <string>

#include "platform_config.h"  // per target: SENDWARDEN_WINAPI, SENDWARDEN_EXPORT

namespace sendwarden {

// A file time as Windows keeps it: 100 ns intervals since 1601-01-01,
// low half first.
struct FileTime {
  uint32_t low = 0;
  uint32_t high = 0;
};

using WindowHandle = void*;
using ModuleHandle = void*;

// Writes the last-write time of the file at `path` (at the file system's full
// resolution) and returns true; returns false and writes nothing when there is
// no such file. An empty path finds nothing.
bool ReadLastWriteTime(const std::string& path, FileTime* time);

// True when both times are the same instant.
bool SameFileTime(const FileTime& a, const FileTime& b);

// Reads the bytes of the regular file at `path` into `bytes`. Returns false,
// with `bytes` empty, when the file cannot be opened (missing, a directory, no
// access) or a read fails part-way: half a file is no file.
bool ReadFileBytes(const std::string& path, std::string* bytes);

// What tells one version of a file from the next: its last-write time and
// its size.
struct FileStamp {
  FileTime time;
  uint64_t size = 0;
};

// Writes the stamp of the file at `path` and returns true; false when there
// is no such file.
bool ReadFileStamp(const std::string& path, FileStamp* stamp);

// The current time, as a file time, and a pause of the calling thread.
FileTime CurrentFileTime();
void SleepMilliseconds(unsigned milliseconds);

// For tests: when set, ReadFileBytes calls `hook` with the path and the
// offset before each read of the file; a false answer makes that read fail.
// The hook may change the file, as a user saving it would.
using ReadHook = bool (*)(const std::string& path, uint64_t offset);
void SetReadHook(ReadHook hook);

// Writes the full path of the file `module` was loaded from. Never truncates:
// returns false when the whole path cannot be had.
bool ReadModulePath(ModuleHandle module, std::string* path);

// Called by the module's entry point first at attach: makes C++ exceptions
// thrown inside the module reach their handlers whatever other modules the
// process holds (platform/win32/unwind_tables.cc says why that needs doing).
// ReleaseUnwindTables undoes it at detach.
void ClaimUnwindTables(ModuleHandle module);
void ReleaseUnwindTables();

// The host executable's module, or null when there is none.
ModuleHandle HostModule();

// The address of the function `name` exported by `host`, or null.
void* FindHostFunction(ModuleHandle host, const char* name);

// Message box styles, as Windows numbers them: one OK button and no icon,
// and the same with the error icon.
constexpr unsigned kMbOk = 0;
constexpr unsigned kMbIconError = 0x10;

// Shows a modal message box and returns when it is dismissed. Allocates
// nothing, so it can still report a failure caused by memory running out.
void ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                    unsigned style);

// Tests observe boxes through this hook instead of the screen. Null restores
// the platform's own box.
using MessageBoxHook = void (*)(WindowHandle owner, const char* text,
                                const char* caption, unsigned style);
void SetMessageBoxHook(MessageBoxHook hook);

// Formats `format` with one "%s" argument into a buffer of `size` bytes, as
// wsprintfA does on Windows. The result is cut to fit.
std::string FormatText(const char* format, const char* argument, size_t size);

// Copies a NUL-terminated text into `destination` (lstrcpyA on Windows).
void CopyText(char* destination, const char* source);

}  // namespace sendwarden

#endif  // SENDWARDEN_PLATFORM_PLATFORM_H_
