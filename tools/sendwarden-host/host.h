// The substitute mail client: loads the plug-in module, offers the host
// functions, and sends messages through it so the real module can run
// without the mail client. The command line, the printing and the host texts'
// bookkeeping are shared (host_main.cc); loading, decoding and box
// interception are per platform (host_posix.cc, host_win32.cc).
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_HOST_HOST_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_HOST_HOST_H_

#include <string>

// The mail client's calling convention and exports, as its binary interface
// has them; defined here so that the host shares no code with the plug-in.
#ifdef _WIN32
#define HOST_CALL __stdcall
#define HOST_EXPORT __declspec(dllexport)
#else
#define HOST_CALL
#define HOST_EXPORT __attribute__((visibility("default")))
#endif

namespace sendwarden_host {

// The module's exported callbacks, as the mail client sees them.
struct LoadedPlugin {
  void* module;
  int(HOST_CALL* onStart)();
  int(HOST_CALL* onExit)();
  int(HOST_CALL* onSend)(const char*);
  int(HOST_CALL* onPlugInInfo)(void*);
};

// Loads the module at `path` and its callbacks. Null, with `error` set, when
// the module does not load, refuses to, or lacks a callback.
LoadedPlugin* LoadPluginModule(const std::string& path, std::string* error);
void UnloadPluginModule(LoadedPlugin* plugin);

// Per platform: loads a module, giving it its attach notification (null and
// `error` when it fails or refuses), finds one of its exports, unloads it.
void* OpenModule(const std::string& path, std::string* error);
void* FindExport(void* module, const char* name);
void CloseModule(void* module);

// Per platform: loads a library for the rest of the process, by the path
// given, before the plug-in. False, with `error` set, when it does not load.
bool PreloadLibrary(const std::string& path, std::string* error);

// The number of a code page given as "932" or "CP932" (any case); 0 when the
// value is neither.
unsigned ParseCodePage(const std::string& value);

// Per platform, before anything is loaded: the text code page for decoding
// and printing (a number ParseCodePage gave), and whether boxes are recorded
// instead of shown. False, with `error` set, when the code page is not one
// this platform can convert to.
bool PreparePlatform(unsigned codepage, bool record, std::string* error);

// The default module: beside the host executable.
std::string DefaultModulePath();

// Text in the plug-in's code page, converted for the terminal (UTF-8).
std::string HostTextToUtf8(const std::string& text);

// Called for every box the plug-in shows (or would show).
void PrintBox(void* owner, const char* text, const char* caption, unsigned style);

// Host texts: a new copy of `text` for the plug-in, and its release. The
// counts tell whether every text came back exactly once.
char* HandOutText(const std::string& text);
void TakeBackText(void* text);
long OutstandingTexts();
long UnknownFrees();

}  // namespace sendwarden_host

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_HOST_HOST_H_
