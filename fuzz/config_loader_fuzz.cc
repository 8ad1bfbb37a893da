// Fuzzes the configuration loader: any bytes as a configuration file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "config/config_loader.h"
#include "config/rule_store.h"
#include "tests/test_support.h"

namespace {

bool RuleIsUsable(const sendwarden::RecipientRule& rule) {
  return !rule.allPatterns.empty() || !rule.toPatterns.empty() || !rule.ccPatterns.empty() ||
         !rule.bccPatterns.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("sendwarden-fuzz-" + std::to_string(getpid()) + ".conf"))
                                      .string();
  sendwarden::testing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  sendwarden::AllowConfig config;
  if (!sendwarden::LoadAllowConfig(path, config)) __builtin_trap();
  if (config.defaultRule != nullptr && !RuleIsUsable(*config.defaultRule)) __builtin_trap();
  for (const auto& section : config.sections) {
    if (section.senderPattern == nullptr || section.rule == nullptr) __builtin_trap();
    if (!RuleIsUsable(*section.rule)) __builtin_trap();
  }
  // The same file loads to the same store.
  std::string first = sendwarden::testing::DumpStore(config);
  sendwarden::LoadAllowConfig(path, config);
  if (sendwarden::testing::DumpStore(config) != first) __builtin_trap();
  return 0;
}
