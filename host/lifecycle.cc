#include "host/lifecycle.h"

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "host/host_api.h"

namespace sendwarden {

const char kLoadFailureFormat[] =
    "プラグイン「%s」でエラーが発生しました。\r\nBecky!! とプラグインのバージョンを確認してください";
const char kLoadFailureCaption[] = "プラグインエラー";

namespace {

const char kPlugInName[] = "Sendwarden";
const char kVendor[] = "Sendwarden developers";
const char kVersion[] = "0.001";
const char kDescription[] = "設定した宛先へのみ送信を許可する";

void ShowLoadFailureNotice() {
  PluginInfo info;
  BKC_OnPlugInInfo(&info);
  std::string text = FormatText(kLoadFailureFormat, info.PlugInName, 256);
  ShowMessageBox(nullptr, text.c_str(), kLoadFailureCaption, kMbIconError);
}

}  // namespace

ModuleHandle& PluginModule() {
  static ModuleHandle module = nullptr;
  return module;
}

bool OnProcessAttach(ModuleHandle module) {
  try {
    PluginModule() = module;
    if (BindHostApi()) return true;
    ShowLoadFailureNotice();
  } catch (...) {
  }
  return false;
}

std::string ConfigPathFor(const std::string& modulePath) {
  size_t name_start = modulePath.find_last_of("\\/");
  name_start = name_start == std::string::npos ? 0 : name_start + 1;
  size_t dot = modulePath.rfind('.');
  if (dot == std::string::npos || dot < name_start) return modulePath + ".conf";
  return modulePath.substr(0, dot) + ".conf";
}

}  // namespace sendwarden

using namespace sendwarden;

extern "C" int SENDWARDEN_WINAPI BKC_OnStart() {
  try {
    // Without the module's whole path there is no configuration to trust:
    // an empty path loads nothing and every send is refused.
    std::string module_path;
    std::string config_path;
    if (ReadModulePath(PluginModule(), &module_path)) config_path = ConfigPathFor(module_path);
    LoadAllowConfig(config_path);
  } catch (...) {
  }
  try {
    GetWindowHandlesFunction get_handles = GetHostApi().BKA_GetWindowHandles;
    if (get_handles != nullptr) {
      WindowHandle main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
      get_handles(&main, &tree, &list, &view);
      MainWindow() = main;
    }
  } catch (...) {
  }
  return 0;
}

extern "C" int SENDWARDEN_WINAPI BKC_OnExit() { return 0; }

extern "C" int SENDWARDEN_WINAPI BKC_OnPlugInInfo(PluginInfo* info) {
  if (info == nullptr) return 0;
  CopyText(info->PlugInName, kPlugInName);
  CopyText(info->Vendor, kVendor);
  CopyText(info->Version, kVersion);
  CopyText(info->Description, kDescription);
  return 0;
}
