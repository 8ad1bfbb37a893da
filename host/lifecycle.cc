#include "host/lifecycle.h"

#include "base/version.h"
#include "config/config_loader.h"

namespace sendwarden {

const char kLoadFailureFormat[] =
    "プラグイン「%s」でエラーが発生しました。\r\nBecky!! とプラグインのバージョンを確認してください";
const char kLoadFailureCaption[] = "プラグインエラー";

namespace {

const char kPlugInName[] = "Sendwarden";
const char kVendor[] = "Sendwarden developers";
const char kVersion[] = SENDWARDEN_VERSION;
const char kDescription[] = "設定した宛先へのみ送信を許可する";

void ShowLoadFailureNotice() {
  PluginInfo info;
  FillPluginInfo(&info);
  std::string text = FormatText(kLoadFailureFormat, info.PlugInName, 256);
  ShowMessageBox(nullptr, text.c_str(), kLoadFailureCaption, kMbIconError);
}

}  // namespace

bool OnProcessAttach(PluginState& state, ModuleHandle module) {
  try {
    state.module = module;
    if (BindHostApi(state.hostApi)) return true;
    ShowLoadFailureNotice();
  } catch (...) {
  }
  return false;
}

void LoadConfigBesideModule(PluginState& state) {
  // Without the module's whole path there is no configuration to trust: the
  // store stays empty and every send is refused until the path can be had.
  state.configPathPending = true;
  std::string module_path;
  if (!ReadModulePath(state.module, &module_path)) return;
  std::string path = ConfigPathFor(module_path);
  // The path is stored before the request is marked done: if storing it
  // runs out of memory, the next send asks again.
  state.config.file.path = path;
  state.configPathPending = false;
  LoadAllowConfig(path, state.config);
}

void StartPlugin(PluginState& state) {
  try {
    LoadConfigBesideModule(state);
  } catch (...) {
  }
  try {
    GetWindowHandlesFunction get_handles = state.hostApi.BKA_GetWindowHandles;
    if (get_handles != nullptr) {
      WindowHandle main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
      get_handles(&main, &tree, &list, &view);
      state.mainWindow = main;
    }
  } catch (...) {
  }
}

std::string ConfigPathFor(const std::string& modulePath) {
  size_t name_start = modulePath.find_last_of("\\/");
  name_start = name_start == std::string::npos ? 0 : name_start + 1;
  size_t dot = modulePath.rfind('.');
  if (dot == std::string::npos || dot < name_start) return modulePath + ".conf";
  return modulePath.substr(0, dot) + ".conf";
}

void FillPluginInfo(PluginInfo* info) {
  CopyText(info->PlugInName, kPlugInName);
  CopyText(info->Vendor, kVendor);
  CopyText(info->Version, kVersion);
  CopyText(info->Description, kDescription);
}

}  // namespace sendwarden

using sendwarden::Plugin;

extern "C" int SENDWARDEN_WINAPI BKC_OnStart() {
  sendwarden::StartPlugin(Plugin());
  return 0;
}

extern "C" int SENDWARDEN_WINAPI BKC_OnExit() { return 0; }

extern "C" int SENDWARDEN_WINAPI BKC_OnPlugInInfo(PluginInfo* info) {
  if (info != nullptr) sendwarden::FillPluginInfo(info);
  return 0;
}
