// A fake mail client for tests and fuzzing: decodes a header text's encoded
// words byte for byte (so that decoded texts with a NUL or a CR inside reach
// the plug-in), or, without decodeWords, puts the text in braces (which the
// plug-in refuses for any piece but an empty one); records every call, and
// tracks each text it hands out until it is freed.
#ifndef SENDWARDEN_TESTS_FAKE_HOST_H_
#define SENDWARDEN_TESTS_FAKE_HOST_H_

#include <map>
#include <string>
#include <vector>

#include "host/host_api.h"

namespace sendwarden {
namespace testing {

struct FakeHost {
  std::string calls;                 // "M" (BKA_MIMEHeader) and "F" (BKA_Free) in call order
  std::vector<std::string> texts;    // what BKA_MIMEHeader was given
  std::map<void*, int> outstanding;  // texts handed out, and how often each is still owed
  int unknownFrees = 0;              // frees of texts not handed out or already freed
  int badArguments = 0;              // BKA_MIMEHeader calls not of the form (text, null, 0, 0)
  int nullAtCall = -1;               // this BKA_MIMEHeader call (0-based) returns null
  bool decodeWords = true;           // decode encoded words instead of adding braces

  // True when every text handed out was freed exactly once.
  bool AllFreedOnce() const;

  // Makes this the host whose functions `api` holds (BKA_MIMEHeader,
  // BKA_Free, and a BKA_GetWindowHandles that gives `mainWindow`). One fake
  // host is current at a time: the last one installed.
  void Install(HostApi& api);

  void* mainWindow = reinterpret_cast<void*>(0x5150);
};

}  // namespace testing
}  // namespace sendwarden

#endif  // SENDWARDEN_TESTS_FAKE_HOST_H_
