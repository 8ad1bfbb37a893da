// Fuzzes the whole send: the input is a configuration, a NUL byte, and a
// message. The configuration is put beside the module, the plug-in is
// started, and the message is sent through the send check with a fake host.
// The boundary's promises are checked on every input: the answer is 0 or -1,
// a refused send shows exactly one box and an allowed one none, and every
// host text is freed exactly once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/lifecycle.h"
#include "host/plugin_state.h"
#include "host/send_hook.h"
#include "tests/fake_host.h"
#include "tests/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sendwarden;
  static const std::string config_path = [] {
    std::string module_path;
    ReadModulePath(nullptr, &module_path);
    return ConfigPathFor(module_path);
  }();
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  std::string config = input.substr(0, split);
  std::string message = split == std::string::npos ? "" : input.substr(split + 1);

  PluginState state;
  testing::FakeHost host;
  // Decoded texts of every shape: a NUL or a CR inside, emptied, shortened.
  host.decodeWords = true;
  host.Install(state.hostApi);
  testing::WriteFile(config_path, config);
  StartPlugin(state);

  testing::BoxRecorder boxes;
  int result = CheckSend(state, message.c_str());
  if (result != 0 && result != -1) __builtin_trap();
  if (boxes.boxes().size() != (result == -1 ? 1u : 0u)) __builtin_trap();
  if (!host.AllFreedOnce() || host.badArguments != 0) __builtin_trap();
  return 0;
}
