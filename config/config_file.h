// Which file a rule store was loaded from, and what that file was when it
// was read: enough to tell, at the next send, whether it has changed.
// Kept apart from the rules so that the tools, which load once, can ignore
// it, and the plug-in's reload decision reads nothing else.
#ifndef SENDWARDEN_CONFIG_CONFIG_FILE_H_
#define SENDWARDEN_CONFIG_CONFIG_FILE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace sendwarden {

struct ConfigFile {
  std::string path;  // the path last given to LoadAllowConfig
  // The time of the file the latest load actually read; absent when the
  // latest load could not read it, so that the next check tries again.
  std::optional<FileTime> lastWriteTime;
  uint64_t lastSize = 0;  // the size of that file: a save may keep the time

  // True when `now` is the stamp of the very file the latest load read.
  bool Unchanged(const FileStamp& now) const {
    return lastWriteTime && SameFileTime(*lastWriteTime, now.time) && lastSize == now.size;
  }
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_CONFIG_FILE_H_
