// BKC_OnSend: collects the recipients and the sender of a message about to go
// out, brings the rule store up to date, asks the check, shows the notice on
// a refusal, and answers the host 0 (send) or -1 (refuse).
#ifndef SENDWARDEN_HOST_SEND_HOOK_H_
#define SENDWARDEN_HOST_SEND_HOOK_H_

#include "host/plugin_state.h"

namespace sendwarden {

// The whole send check under `state`. Whatever goes wrong inside (a message
// that cannot be read, the pattern engine giving up, memory running out, the
// host returning no text) refuses the send with the general notice: letting
// a message through because the check broke is the one unsafe answer. At
// most one box is shown, and every host text is freed exactly once. Never
// throws.
int CheckSend(PluginState& state, const char* message);

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_SEND_HOOK_H_
