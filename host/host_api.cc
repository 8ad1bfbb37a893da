#include "host/host_api.h"

namespace sendwarden {

bool BindHostApi(HostApi& api) {
  if (api.hostModule != nullptr) return true;
  ModuleHandle host = HostModule();
  if (host == nullptr) return false;

  // Each entry point is kept as soon as it is found; the first missing name
  // ends the binding.
  void* found = FindHostFunction(host, "BKA_GetWindowHandles");
  if (found == nullptr) return false;
  api.BKA_GetWindowHandles = reinterpret_cast<GetWindowHandlesFunction>(found);
  found = FindHostFunction(host, "BKA_RegisterCommand");
  if (found == nullptr) return false;
  api.BKA_RegisterCommand = found;
  found = FindHostFunction(host, "BKA_Free");
  if (found == nullptr) return false;
  api.BKA_Free = reinterpret_cast<FreeFunction>(found);
  found = FindHostFunction(host, "BKA_MIMEHeader");
  if (found == nullptr) return false;
  api.BKA_MIMEHeader = reinterpret_cast<MimeHeaderFunction>(found);

  api.hostModule = host;
  return true;
}

}  // namespace sendwarden
