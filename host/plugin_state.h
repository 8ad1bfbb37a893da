// The plug-in's one process-wide object: everything that lives from the
// module's load to its unload. Only host/ touches it; everything below is
// handed what it needs.
#ifndef SENDWARDEN_HOST_PLUGIN_STATE_H_
#define SENDWARDEN_HOST_PLUGIN_STATE_H_

#include "config/rule_store.h"
#include "host/host_api.h"
#include "platform/platform.h"

namespace sendwarden {

struct PluginState {
  ModuleHandle module = nullptr;      // the module's own handle, from process attach
  HostApi hostApi;                    // bound at process attach
  WindowHandle mainWindow = nullptr;  // the notice's owner, fetched at start
  AllowConfig config;                 // the rule store, its file's path and time
  // Start ran but could not work out the configuration file's path (memory
  // ran out, or the module's path could not be had). Every send refuses
  // meanwhile, and each tries again.
  bool configPathPending = false;
};

// The process-wide instance, created on first use and released when the
// module is unloaded. Callbacks never overlap, so nothing here takes a lock.
PluginState& Plugin();

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_PLUGIN_STATE_H_
