// Keeps a rule store in step with its configuration file.
#ifndef SENDWARDEN_CONFIG_RELOAD_H_
#define SENDWARDEN_CONFIG_RELOAD_H_

#include "config/rule_store.h"

namespace sendwarden {

// Rereads `config`'s file when the file's last-write time or size is
// not the one the last successful load read (any difference, earlier too),
// when the file is gone, or when the last load could not read it. Costs one look-up of
// the file's time when nothing changed. Returns true when unchanged, else the
// result of LoadAllowConfig.
bool ReloadIfChanged(AllowConfig& config);

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_RELOAD_H_
