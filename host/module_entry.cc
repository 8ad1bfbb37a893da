// The module's entry point. Windows calls it on process attach; on Linux the
// substitute host plays the loader and calls it right after dlopen, and
// unloads the module when the answer is 0, as Windows would.
#include "host/lifecycle.h"
#include "host/plugin_state.h"
#include "platform/platform.h"

extern "C" SENDWARDEN_EXPORT int SENDWARDEN_WINAPI DllMain(void* module, unsigned long reason,
                                                           void* reserved) {
  constexpr unsigned long kProcessDetach = 0, kProcessAttach = 1;
  // Not when the process is ending (reserved set): other threads are gone,
  // perhaps holding the unwinder's lock, and the memory goes with the process.
  if (reason == kProcessDetach && reserved == nullptr) sendwarden::ReleaseUnwindTables();
  if (reason != kProcessAttach) return 1;
  // Before anything that may throw.
  sendwarden::ClaimUnwindTables(module);
  return sendwarden::OnProcessAttach(sendwarden::Plugin(), module) ? 1 : 0;
}
