// Binding to a host, start, and the plug-in's description of itself. This
// test executable is its own host: it exports the four BKA_ functions.
#include <gtest/gtest.h>

#include <cstring>

#include "base/version.h"
#include "host/host_api.h"
#include "host/lifecycle.h"
#include "host/plugin_state.h"
#include "tests/test_support.h"

namespace {
int g_window_calls = 0;
bool g_config_loaded_before_window = false;
}  // namespace

extern "C" {
SENDWARDEN_HOST_EXPORT int SENDWARDEN_WINAPI BKA_GetWindowHandles(void** main, void** tree,
                                                                  void** list, void** view) {
  ++g_window_calls;
  g_config_loaded_before_window = !sendwarden::Plugin().config.file.path.empty();
  *main = reinterpret_cast<void*>(0x4321);
  *tree = *list = *view = reinterpret_cast<void*>(0x1);
  return 1;
}
SENDWARDEN_HOST_EXPORT int SENDWARDEN_WINAPI BKA_RegisterCommand(const char*, int, void*) {
  return 0;
}
SENDWARDEN_HOST_EXPORT char* SENDWARDEN_WINAPI BKA_MIMEHeader(const char* text, char*, int, int) {
  return strdup(text);
}
SENDWARDEN_HOST_EXPORT void SENDWARDEN_WINAPI BKA_Free(void* text) { free(text); }
}

namespace sendwarden {
namespace {

TEST(ConfigPathFor, ReplacesOnlyTheFileNamesExtension) {
  struct Case {
    const char* module;
    const char* config;
  } cases[] = {
      {"C:\\Becky!\\PlugIns\\Sendwarden.dll", "C:\\Becky!\\PlugIns\\Sendwarden.conf"},
      {"C:\\p\\Sendwarden.x.dll", "C:\\p\\Sendwarden.x.conf"},
      {"C:\\my.plugins\\Sendwarden", "C:\\my.plugins\\Sendwarden.conf"},
      {"/opt/my.plugins/Sendwarden", "/opt/my.plugins/Sendwarden.conf"},
      {"/opt/p/Sendwarden.so", "/opt/p/Sendwarden.conf"},
      {"Sendwarden", "Sendwarden.conf"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConfigPathFor(c.module), c.config) << c.module;
}

TEST(PlugInInfo, FillsEachFieldAtItsOffset) {
  unsigned char record[496];
  std::memset(record, 0xCC, sizeof record);
  EXPECT_EQ(BKC_OnPlugInInfo(reinterpret_cast<PluginInfo*>(record)), 0);
  auto field = [&](size_t offset) { return std::string(reinterpret_cast<char*>(record + offset)); };
  EXPECT_EQ(field(0), "Sendwarden");
  EXPECT_FALSE(field(80).empty());
  EXPECT_LT(field(80).size(), 80u);
  EXPECT_EQ(field(160), SENDWARDEN_VERSION);
  // "設定した宛先へのみ送信を許可する" in code page 932.
  EXPECT_EQ(testing::Hex(field(240)), "90dd92e882b582bd88b690e682d682cc82dd9197904d82f08b9689c282b782e9");
  EXPECT_EQ(record[sizeof record - 1], 0xCC);
}

TEST(BindHostApi, BindsOnceAndThenAnswersTrueWithoutBindingAgain) {
  HostApi api;
  ASSERT_TRUE(BindHostApi(api));
  EXPECT_NE(api.hostModule, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(api.BKA_Free), reinterpret_cast<void*>(&BKA_Free));
  EXPECT_EQ(reinterpret_cast<void*>(api.BKA_MIMEHeader), reinterpret_cast<void*>(&BKA_MIMEHeader));
  api.BKA_Free = nullptr;
  EXPECT_TRUE(BindHostApi(api));
  EXPECT_EQ(api.BKA_Free, nullptr);
}

// Through the exported callbacks, on the process-wide state.
TEST(OnStart, LoadsTheFileBesideTheModuleThenFetchesTheMainWindow) {
  PluginState& state = Plugin();
  ASSERT_TRUE(OnProcessAttach(state, nullptr));
  std::string module_path;
  ASSERT_TRUE(ReadModulePath(state.module, &module_path));
  std::string config_path = ConfigPathFor(module_path);
  testing::WriteFile(config_path, "TO=^started$\n");

  EXPECT_EQ(BKC_OnStart(), 0);
  std::remove(config_path.c_str());
  EXPECT_EQ(state.config.file.path, config_path);
  EXPECT_EQ(testing::DumpStore(state.config), "default\n  TO [^started$]\n");
  EXPECT_EQ(g_window_calls, 1);
  EXPECT_TRUE(g_config_loaded_before_window);
  EXPECT_EQ(state.mainWindow, reinterpret_cast<WindowHandle>(0x4321));
  EXPECT_EQ(BKC_OnExit(), 0);
}

}  // namespace
}  // namespace sendwarden
