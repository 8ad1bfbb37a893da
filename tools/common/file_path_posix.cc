#include "tools/common/file_path.h"

#include "tools/common/charset.h"
#include "tools/common/iconv_text.h"

namespace sendwarden_tools {

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path(argument);
}

std::FILE* OpenForReading(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "rb");
}

std::string PathForPrinting(const std::filesystem::path& path) {
  const std::string& bytes = path.native();
  return IsUtf8WithNonAscii(bytes) ? ConvertText(bytes, "CP932", "UTF-8") : bytes;
}

}  // namespace sendwarden_tools
