// The module's entry point. Windows calls it on process attach; on Linux the
// substitute host plays the loader and calls it right after dlopen, and
// unloads the module when the answer is 0, as Windows would.
#include "host/lifecycle.h"
#include "host/plugin_state.h"
#include "platform/platform.h"

extern "C" SENDWARDEN_EXPORT int SENDWARDEN_WINAPI DllMain(void* module, unsigned long reason,
                                                           void*) {
  constexpr unsigned long kProcessDetach = 0, kProcessAttach = 1;
  if (reason == kProcessDetach) sendwarden::ReleaseUnwindTables();
  if (reason != kProcessAttach) return 1;
  // Before anything that may throw.
  sendwarden::ClaimUnwindTables(module);
  return sendwarden::OnProcessAttach(sendwarden::Plugin(), module) ? 1 : 0;
}
