#include "config/reload.h"

#include "config/config_loader.h"
#include "platform/platform.h"

namespace sendwarden {

bool ReloadIfChanged(AllowConfig& config) {
  FileStamp now;
  if (ReadFileStamp(config.file.path, &now) && config.file.Unchanged(now)) return true;
  std::string path = config.file.path;
  return LoadAllowConfig(path, config);
}

}  // namespace sendwarden
