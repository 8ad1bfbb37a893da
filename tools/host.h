// The substitute mail client: loads the plug-in module, offers the host
// functions, and sends messages through it so the real module can run
// without the mail client. The command line and the printing are shared;
// loading, decoding and box interception are per platform (host_posix.cc,
// host_win32.cc).
#ifndef SENDWARDEN_TOOLS_HOST_H_
#define SENDWARDEN_TOOLS_HOST_H_

#include <string>

namespace sendwarden_host {

// The module's exported callbacks, as the mail client sees them.
struct Plugin;

// Loads the module at `path`, giving it its attach notification. Returns null
// and sets `error` when the module does not load or refuses to.
Plugin* LoadPlugin(const std::string& path, std::string* error);
void UnloadPlugin(Plugin* plugin);
int CallOnStart(Plugin* plugin);
int CallOnSend(Plugin* plugin, const char* message);
int CallOnExit(Plugin* plugin);
int CallOnPlugInInfo(Plugin* plugin, void* record);

// Platform set-up before anything is loaded: the text code page for decoding
// and printing, and whether boxes are recorded instead of shown.
bool PreparePlatform(const std::string& codepage, bool record, std::string* error);

// The default module: beside the host executable.
std::string DefaultModulePath();

// Text in the plug-in's code page, converted for the terminal (UTF-8).
std::string ToTerminal(const std::string& text);

// Called for every box the plug-in shows (or would show).
void PrintBox(void* owner, const char* text, const char* caption, unsigned style);

// Host texts handed out and not yet freed, and frees of unknown pointers.
long OutstandingTexts();
long UnknownFrees();

}  // namespace sendwarden_host

#endif  // SENDWARDEN_TOOLS_HOST_H_
