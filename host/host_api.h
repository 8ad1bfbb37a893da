// The plug-in interface of the mail client Becky!, as far as Sendwarden uses it.
//
// The host loads the module, calls the four BKC_ callbacks it exports, and
// offers the BKA_ functions, which the module looks up by name in the host
// executable. Both directions use WINAPI and narrow texts in the ANSI code
// page. No exception ever leaves a callback.
#ifndef SENDWARDEN_HOST_HOST_API_H_
#define SENDWARDEN_HOST_HOST_API_H_

#include <cstddef>

#include "platform/platform.h"

// The host's plug-in information record: four NUL-terminated narrow texts.
struct PluginInfo {
  char PlugInName[80];
  char Vendor[80];
  char Version[80];
  char Description[256];
};
static_assert(sizeof(PluginInfo) == 496, "the host passes a 496-byte record");
static_assert(offsetof(PluginInfo, PlugInName) == 0, "field offset fixed by the host");
static_assert(offsetof(PluginInfo, Vendor) == 80, "field offset fixed by the host");
static_assert(offsetof(PluginInfo, Version) == 160, "field offset fixed by the host");
static_assert(offsetof(PluginInfo, Description) == 240, "field offset fixed by the host");

extern "C" {

// Reads the configuration beside the module and fetches the host's main
// window. Always 0.
SENDWARDEN_EXPORT int SENDWARDEN_WINAPI BKC_OnStart();
// Does nothing. Always 0.
SENDWARDEN_EXPORT int SENDWARDEN_WINAPI BKC_OnExit();
// `message` is the complete raw text about to be sent. 0: send it; -1: refuse
// it (the user has been told why). Anything that goes wrong refuses.
SENDWARDEN_EXPORT int SENDWARDEN_WINAPI BKC_OnSend(const char* message);
// Fills `info`. Always 0.
SENDWARDEN_EXPORT int SENDWARDEN_WINAPI BKC_OnPlugInInfo(PluginInfo* info);

}  // extern "C"

namespace sendwarden {

// Host functions, with the arguments the plug-in passes.
// BKA_GetWindowHandles(&main, &tree, &list, &view); result unused.
using GetWindowHandlesFunction = int(SENDWARDEN_WINAPI*)(WindowHandle*, WindowHandle*,
                                                         WindowHandle*, WindowHandle*);
// BKA_MIMEHeader(text, nullptr, 0, 0) returns a new decoded text.
using MimeHeaderFunction = char*(SENDWARDEN_WINAPI*)(const char*, char*, int, int);
// BKA_Free(text) releases a text BKA_MIMEHeader returned.
using FreeFunction = void(SENDWARDEN_WINAPI*)(void*);

// The bound host functions, in the order they are looked up. hostModule is
// null until binding succeeds and again after a failed binding.
// BKA_RegisterCommand is required of the host but never called.
struct HostApi {
  ModuleHandle hostModule = nullptr;
  GetWindowHandlesFunction BKA_GetWindowHandles = nullptr;
  void* BKA_RegisterCommand = nullptr;
  FreeFunction BKA_Free = nullptr;
  MimeHeaderFunction BKA_MIMEHeader = nullptr;
};

// Binds the four host functions from the host executable into `api`. True
// at once when already bound; false (hostModule null) when any one is
// missing. Entry points found before the missing one keep their values.
bool BindHostApi(HostApi& api);

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_HOST_API_H_
