#include "tools/common/tool_decoder.h"

#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"

namespace sendwarden_tools {

namespace {

// The mail client hands its decoded text over as a C string: whatever
// follows a decoded NUL never reaches the plug-in.
std::string AsHandedOver(std::string text) {
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

bool ToolDecoder::DecodeAddress(const std::string& piece, std::string* decoded) {
  *decoded = AsHandedOver(DecodeEncodedWords(piece, &ConvertToCp932));
  return true;
}

bool ToolDecoder::DecodeSender(const std::string& from, std::string* decoded) {
  *decoded = AsHandedOver(DecodeEncodedWords(from, &ConvertToCp932));
  return true;
}

}  // namespace sendwarden_tools
