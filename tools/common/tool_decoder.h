// The header decoder the tools hand to the recipient extraction: encoded
// words decoded into code page 932, as the mail client would before calling
// the plug-in.
#ifndef SENDWARDEN_TOOLS_COMMON_TOOL_DECODER_H_
#define SENDWARDEN_TOOLS_COMMON_TOOL_DECODER_H_

#include <string>

#include "message/recipients.h"

namespace sendwarden_tools {

// Its texts end at a decoded NUL byte, as the mail client's do.
class ToolDecoder : public sendwarden::HeaderDecoder {
 public:
  bool DecodeAddress(const std::string& piece, std::string* decoded) override;
  bool DecodeSender(const std::string& from, std::string* decoded) override;
};

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_TOOL_DECODER_H_
