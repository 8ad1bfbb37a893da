// sendwarden-host [--conf FILE] [--then-conf FILE] [--codepage CP]
//                 [--module PATH] [--preload LIBRARY]... [--record] [--verbose]
//                 [--no-windows] [--info] MESSAGE...
//
// Starts the plug-in, sends each message file through it and prints a verdict
// line per message and every message box. --then-conf replaces the staged
// configuration after the first message, as a user saving the file between
// two sends would. --codepage (932 or CP932, the default) is the code page
// the decoded headers are handed over in. --record adds each box's exact
// bytes (and, on Windows, intercepts the boxes instead of showing them);
// it implies --verbose, which adds what a test of the host itself reads
// (what start answered, each box's style and owner, the host texts not yet
// freed). --no-windows prints the boxes on Windows too instead of showing
// them, as on Linux.
// --preload loads a library into the process before the plug-in, in the
// order given, as another plug-in or tool of the mail client would have.
// Exit status: 0 every message would be sent, 1 one or more were refused, 2
// usage error or unreadable message file (nothing is sent), 3 the plug-in
// did not load.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <vector>

#include "tools/sendwarden-host/host.h"

namespace sendwarden_host {
namespace {

namespace fs = std::filesystem;

bool g_record = false;
bool g_verbose = false;
std::map<void*, int> g_outstanding;
long g_unknown_frees = 0;

const char kUsage[] =
    "usage: sendwarden-host [--conf FILE] [--then-conf FILE] [--codepage CP] [--module PATH]\n"
    "                       [--preload LIBRARY]... [--record] [--verbose] [--no-windows]\n"
    "                       [--info] MESSAGE...\n";

struct Options {
  std::string conf, thenConf, module;
  std::string codepage = "CP932";
  bool info = false;
  bool noWindows = false;
  std::vector<std::string> preloads, messages;
};

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

bool ReadWhole(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in || fs::is_directory(path)) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// False, with the usage printed, when the command line cannot be used.
bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--conf") {
      ok = value(&options->conf);
    } else if (arg == "--then-conf") {
      ok = value(&options->thenConf);
    } else if (arg == "--module") {
      ok = value(&options->module);
    } else if (arg == "--codepage") {
      ok = value(&options->codepage);
    } else if (arg == "--preload") {
      options->preloads.emplace_back();
      ok = value(&options->preloads.back());
    } else if (arg == "--record") {
      g_record = g_verbose = true;
    } else if (arg == "--verbose") {
      g_verbose = true;
    } else if (arg == "--no-windows") {
      options->noWindows = true;
    } else if (arg == "--info") {
      options->info = true;
    } else if (arg.rfind("--", 0) == 0) {
      ok = false;
    } else {
      options->messages.push_back(arg);
    }
    if (!ok) {
      std::fprintf(stderr, "sendwarden-host: bad option %s\n%s", arg.c_str(), kUsage);
      return false;
    }
  }
  if ((options->messages.empty() && !options->info) ||
      (!options->thenConf.empty() && options->conf.empty())) {
    std::fprintf(stderr, "%s", kUsage);
    return false;
  }
  return true;
}

// The plug-in reads its configuration only from beside its own module, so a
// configuration given on the command line is staged with a copy of the module.
bool Stage(const std::string& module, const std::string& conf, std::string* staged,
           fs::path* folder) {
  std::random_device random;
  *folder = fs::temp_directory_path() / ("sendwarden-host-" + std::to_string(random()));
  std::error_code error;
  fs::create_directories(*folder, error);
  if (error) return false;
  fs::path module_copy = *folder / fs::path(module).filename();
  fs::path conf_copy = *folder / fs::path(module).filename();
  conf_copy.replace_extension(".conf");
  fs::copy_file(module, module_copy, error);
  if (error) return false;
  fs::copy_file(conf, conf_copy, error);
  if (error) return false;
  *staged = module_copy.string();
  return true;
}

// As a user saving the file between two sends: seconds apart, so the change
// shows at any file-time resolution.
void ReplaceConfiguration(const std::string& module, const std::string& conf) {
  fs::path staged_conf = fs::path(module).replace_extension(".conf");
  std::error_code error;
  fs::copy_file(conf, staged_conf, fs::copy_options::overwrite_existing, error);
  fs::last_write_time(staged_conf,
                      fs::last_write_time(staged_conf, error) + std::chrono::seconds(2), error);
}

void PrintInfo(LoadedPlugin* plugin) {
  unsigned char record[496];
  for (unsigned char& byte : record) byte = 0xCC;
  int result = plugin->onPlugInInfo(record);
  std::printf("info result %d\n", result);
  const size_t offsets[] = {0, 80, 160, 240};
  const size_t widths[] = {80, 80, 80, 256};
  for (int i = 0; i < 4; ++i) {
    const char* field = reinterpret_cast<const char*>(record + offsets[i]);
    size_t length = 0;
    while (length < widths[i] && field[length] != '\0') ++length;
    std::string text(field, length);
    std::printf("info %zu %s%s %s\n", offsets[i], Hex(text).c_str(),
                length < widths[i] ? "" : " (not terminated)", HostTextToUtf8(text).c_str());
  }
}

// Starts the plug-in and sends every message. Returns 0 when all were sent.
int SendAll(LoadedPlugin* plugin, const Options& options, const std::vector<std::string>& texts,
            const std::string& module) {
  int status = 0;
  int started = plugin->onStart();
  if (g_verbose || started != 0) std::printf("start %d\n", started);
  for (size_t i = 0; i < texts.size(); ++i) {
    const char* name = options.messages[i].c_str();
    std::printf("== %s\n", name);
    std::fflush(stdout);
    int result = plugin->onSend(texts[i].c_str());
    std::printf("%s: %s (%d)\n", name,
                result == 0 ? "send" : result == -1 ? "refused" : "unexpected answer", result);
    std::fflush(stdout);
    if (result != 0) status = 1;
    if (i == 0 && !options.thenConf.empty()) ReplaceConfiguration(module, options.thenConf);
  }
  plugin->onExit();
  return status;
}

int Run(const Options& options) {
  std::vector<std::string> texts;
  for (const std::string& path : options.messages) {
    texts.emplace_back();
    if (!ReadWhole(path, &texts.back())) {
      std::fprintf(stderr, "sendwarden-host: cannot read message file %s; nothing was sent\n",
                   path.c_str());
      return 2;
    }
  }

  std::string error;
  unsigned codepage = ParseCodePage(options.codepage);
  if (codepage == 0) {
    std::fprintf(stderr, "sendwarden-host: cannot read the code page \"%s\"; write it as 932 or "
                 "CP932\n", options.codepage.c_str());
    return 2;
  }
  if (!PreparePlatform(codepage, g_record || options.noWindows, &error)) {
    std::fprintf(stderr, "sendwarden-host: %s\n", error.c_str());
    return 2;
  }
  std::string module = options.module.empty() ? DefaultModulePath() : options.module;
  fs::path staged_folder;
  if (!options.conf.empty()) {
    if (!fs::is_regular_file(options.conf)) {
      std::fprintf(stderr, "sendwarden-host: cannot read configuration %s\n",
                   options.conf.c_str());
      return 2;
    }
    if (!Stage(module, options.conf, &module, &staged_folder)) {
      std::fprintf(stderr, "sendwarden-host: cannot stage %s beside the module\n",
                   options.conf.c_str());
      return 2;
    }
  }

  for (const std::string& library : options.preloads) {
    if (!PreloadLibrary(library, &error)) {
      std::fprintf(stderr, "sendwarden-host: cannot preload %s: %s\n", library.c_str(),
                   error.c_str());
      return 2;
    }
  }

  int status = 0;
  LoadedPlugin* plugin = LoadPluginModule(module, &error);
  if (plugin == nullptr) {
    std::printf("load refused: %s\n", error.c_str());
    status = 3;
  } else {
    if (options.info) PrintInfo(plugin);
    if (!texts.empty()) status = SendAll(plugin, options, texts, module);
    UnloadPluginModule(plugin);
  }
  // A text not freed, or one freed that the host never gave, is a fault of
  // the plug-in: said always, on stderr when the details were not asked for.
  if (g_verbose) {
    std::printf("host texts outstanding %ld, unknown frees %ld\n", OutstandingTexts(),
                UnknownFrees());
  } else if (OutstandingTexts() != 0 || UnknownFrees() != 0) {
    std::fprintf(stderr, "sendwarden-host: host texts outstanding %ld, unknown frees %ld\n",
                 OutstandingTexts(), UnknownFrees());
    if (status == 0) status = 1;
  }
  if (!staged_folder.empty()) {
    std::error_code ignored;
    fs::remove_all(staged_folder, ignored);
  }
  return status;
}

}  // namespace

unsigned ParseCodePage(const std::string& value) {
  size_t digits = 0;
  if (value.size() > 2 && std::toupper(static_cast<unsigned char>(value[0])) == 'C' &&
      std::toupper(static_cast<unsigned char>(value[1])) == 'P') {
    digits = 2;
  }
  if (digits == value.size() || value.size() - digits > 5) return 0;
  unsigned number = 0;
  for (size_t i = digits; i < value.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(value[i]))) return 0;
    number = number * 10 + static_cast<unsigned>(value[i] - '0');
  }
  return number;
}

LoadedPlugin* LoadPluginModule(const std::string& path, std::string* error) {
  void* module = OpenModule(path, error);
  if (module == nullptr) return nullptr;
  auto find = [module](const char* name) { return FindExport(module, name); };
  auto* plugin = new LoadedPlugin{
      module, reinterpret_cast<decltype(LoadedPlugin::onStart)>(find("BKC_OnStart")),
      reinterpret_cast<decltype(LoadedPlugin::onExit)>(find("BKC_OnExit")),
      reinterpret_cast<decltype(LoadedPlugin::onSend)>(find("BKC_OnSend")),
      reinterpret_cast<decltype(LoadedPlugin::onPlugInInfo)>(find("BKC_OnPlugInInfo"))};
  if (!plugin->onStart || !plugin->onExit || !plugin->onSend || !plugin->onPlugInInfo) {
    *error = "a BKC_ callback is missing";
    UnloadPluginModule(plugin);
    return nullptr;
  }
  return plugin;
}

void UnloadPluginModule(LoadedPlugin* plugin) {
  CloseModule(plugin->module);
  delete plugin;
}

char* HandOutText(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  ++g_outstanding[copy];
  return copy;
}

void TakeBackText(void* text) {
  auto entry = g_outstanding.find(text);
  if (entry == g_outstanding.end() || entry->second == 0) {
    ++g_unknown_frees;
    return;
  }
  --entry->second;
  std::free(text);
}

long OutstandingTexts() {
  long count = 0;
  for (const auto& entry : g_outstanding) count += entry.second;
  return count;
}

long UnknownFrees() { return g_unknown_frees; }

void PrintBox(void* owner, const char* text, const char* caption, unsigned style) {
  if (g_verbose) {
    std::printf("---- message box \"%s\" (style 0x%x, owner %p) ----\n%s\n----\n",
                HostTextToUtf8(caption).c_str(), style, owner, HostTextToUtf8(text).c_str());
  } else {
    std::printf("---- message box \"%s\" ----\n%s\n----\n", HostTextToUtf8(caption).c_str(),
                HostTextToUtf8(text).c_str());
  }
  if (g_record) {
    std::printf("box owner=%p style=0x%x caption=%s text=%s\n", owner, style,
                Hex(caption).c_str(), Hex(text).c_str());
  }
  std::fflush(stdout);
}

}  // namespace sendwarden_host

int main(int argc, char** argv) {
  sendwarden_host::Options options;
  if (!sendwarden_host::ParseOptions(argc, argv, &options)) return 2;
  return sendwarden_host::Run(options);
}
