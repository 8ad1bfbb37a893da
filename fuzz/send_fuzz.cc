// Fuzzes the whole send: the input is a configuration, a NUL byte, and a
// message. The configuration is put beside the module, the plug-in is
// started, and the message is sent through BKC_OnSend with a fake host. The
// boundary's promises are checked on every input: the answer is 0 or -1, a
// refused send shows exactly one box and an allowed one none, every host text
// is freed exactly once, and no address is left for a later notice.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "check/rejection_notice.h"
#include "host/host_api.h"
#include "host/lifecycle.h"
#include "tests/fake_host.h"
#include "tests/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sendwarden;
  static const std::string config_path = [] {
    std::string module_path;
    ReadModulePath(PluginModule(), &module_path);
    return ConfigPathFor(module_path);
  }();
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  std::string config = input.substr(0, split);
  std::string message = split == std::string::npos ? "" : input.substr(split + 1);

  testing::FakeHost host;
  host.Install();
  testing::WriteFile(config_path, config);
  if (BKC_OnStart() != 0) __builtin_trap();

  testing::BoxRecorder boxes;
  int result = BKC_OnSend(message.c_str());
  if (result != 0 && result != -1) __builtin_trap();
  if (boxes.boxes().size() != (result == -1 ? 1u : 0u)) __builtin_trap();
  if (!host.AllFreedOnce() || host.badArguments != 0) __builtin_trap();
  if (!RejectionLog().empty()) __builtin_trap();
  testing::FakeHost::Uninstall();
  return 0;
}
