// The plug-in's life in the host apart from the send check: load, start,
// exit, and how it describes itself.
#ifndef SENDWARDEN_HOST_LIFECYCLE_H_
#define SENDWARDEN_HOST_LIFECYCLE_H_

#include <string>

#include "host/host_api.h"
#include "host/plugin_state.h"

namespace sendwarden {

// Texts of the load-failure box, code page 932 bytes.
extern const char kLoadFailureFormat[];   // "%s" = plug-in name
extern const char kLoadFailureCaption[];  // "プラグインエラー"

// Process attach: records `module` and binds the host functions; when that
// fails shows the load-failure box (no owner) and returns false so the load
// is refused. Never throws.
bool OnProcessAttach(PluginState& state, ModuleHandle module);

// BKC_OnStart: loads the configuration beside the module into the store,
// then fetches the host's main window as the notice's owner. When the
// configuration's path cannot be worked out, marks it pending: sends refuse
// and try again. Never throws.
void StartPlugin(PluginState& state);

// Works out the configuration's path from the module's and loads it. Leaves
// `configPathPending` set when the path cannot be had; may throw
// std::bad_alloc.
void LoadConfigBesideModule(PluginState& state);

// The configuration file beside a module: the file name's extension (from its
// last ".") becomes ".conf"; a file name without a dot gets ".conf" appended.
// Dots in folder names are left alone.
std::string ConfigPathFor(const std::string& modulePath);

// BKC_OnPlugInInfo's texts, copied into `info` field by field.
void FillPluginInfo(PluginInfo* info);

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_LIFECYCLE_H_
