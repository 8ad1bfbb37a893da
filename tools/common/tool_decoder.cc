#include "tools/common/tool_decoder.h"

#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"

namespace sendwarden_tools {

bool ToolDecoder::DecodeAddress(const std::string& piece, std::string* decoded) {
  *decoded = DecodeEncodedWords(piece, &ConvertToCp932);
  return true;
}

bool ToolDecoder::DecodeSender(const std::string& from, std::string* decoded) {
  *decoded = DecodeEncodedWords(from, &ConvertToCp932);
  return true;
}

}  // namespace sendwarden_tools
