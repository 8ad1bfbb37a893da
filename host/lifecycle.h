// The plug-in's life in the host apart from the send check: load, start,
// exit, and how it describes itself.
#ifndef SENDWARDEN_HOST_LIFECYCLE_H_
#define SENDWARDEN_HOST_LIFECYCLE_H_

#include <string>

#include "platform/platform.h"

namespace sendwarden {

// Texts of the load-failure box, code page 932 bytes.
extern const char kLoadFailureFormat[];   // "%s" = plug-in name
extern const char kLoadFailureCaption[];  // "プラグインエラー"
constexpr unsigned kMbIconError = 0x10;

// The module's own handle, recorded at process attach.
ModuleHandle& PluginModule();

// What the module entry point does on process attach: records `module` and
// binds the host functions; when that fails shows the load-failure box (no
// owner) and returns false so the load is refused.
bool OnProcessAttach(ModuleHandle module);

// The configuration file beside a module: the file name's extension (from its
// last ".") becomes ".conf"; a file name without a dot gets ".conf" appended.
// Dots in folder names are left alone.
std::string ConfigPathFor(const std::string& modulePath);

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_LIFECYCLE_H_
