#include "host/plugin_state.h"

namespace sendwarden {

PluginState& Plugin() {
  // Constructing it allocates nothing, so its first use (in the entry point
  // or any callback) cannot throw.
  static PluginState state;
  return state;
}

}  // namespace sendwarden
