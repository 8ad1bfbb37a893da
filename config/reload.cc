#include "config/reload.h"

#include "config/config_loader.h"
#include "platform/platform.h"

namespace sendwarden {

bool ReloadIfChanged(AllowConfig& config) {
  FileTime now;
  if (ReadLastWriteTime(config.configPath, &now) && config.lastWriteTime &&
      SameFileTime(*config.lastWriteTime, now)) {
    return true;
  }
  std::string path = config.configPath;
  return LoadAllowConfig(path, config);
}

}  // namespace sendwarden
