// The files the tools read, named the way each platform names them. On
// Windows a path is wide characters, whatever characters it holds, and a
// command-line argument arrives as code page 932 (main reads the wide
// command line); elsewhere a path is the bytes the file system holds, UTF-8
// on Linux. Folders are walked with std::filesystem::path alone: on Windows
// its narrow string() throws or garbles a name outside the ANSI code page.
#ifndef SENDWARDEN_TOOLS_COMMON_FILE_PATH_H_
#define SENDWARDEN_TOOLS_COMMON_FILE_PATH_H_

#include <cstdio>
#include <filesystem>
#include <string>

namespace sendwarden_tools {

// The path a command-line argument names. On Windows the argument is code
// page 932 text; elsewhere its bytes are the path.
std::filesystem::path PathFromArgument(const std::string& argument);

// Opens the file at `path` to read its bytes. Null, with errno saying why,
// when it cannot be opened.
std::FILE* OpenForReading(const std::filesystem::path& path);

// `path` as code page 932 text, for printing: on Windows from its wide
// characters, elsewhere from UTF-8 (a name that is no UTF-8 keeps its
// bytes). A character code page 932 lacks becomes "?".
std::string PathForPrinting(const std::filesystem::path& path);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_FILE_PATH_H_
