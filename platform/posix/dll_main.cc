// Linux has no loader notification with an answer, so the substitute host
// plays the loader: right after dlopen it calls DllMain with reason 1 (process
// attach) and unloads the module when the answer is 0, as Windows would.
#include "host/lifecycle.h"

extern "C" SENDWARDEN_EXPORT int DllMain(void* module, unsigned long reason, void*) {
  constexpr unsigned long kProcessAttach = 1;
  if (reason != kProcessAttach) return 1;
  return sendwarden::OnProcessAttach(module) ? 1 : 0;
}
