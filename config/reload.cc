#include "config/reload.h"

#include "config/config_loader.h"
#include "platform/platform.h"

namespace sendwarden {

bool ReloadIfChanged(AllowConfig& config) {
  FileStamp now;
  if (ReadFileStamp(config.configPath, &now) && config.lastWriteTime &&
      SameFileTime(*config.lastWriteTime, now.time) && config.lastSize == now.size) {
    return true;
  }
  std::string path = config.configPath;
  return LoadAllowConfig(path, config);
}

}  // namespace sendwarden
