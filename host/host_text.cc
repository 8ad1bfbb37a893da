#include "host/host_text.h"

namespace sendwarden {

HostText::~HostText() {
  if (text_ != nullptr && GetHostApi().BKA_Free != nullptr) GetHostApi().BKA_Free(text_);
}

HostText DecodeHeaderText(const std::string& text) {
  MimeHeaderFunction decode = GetHostApi().BKA_MIMEHeader;
  if (decode == nullptr) return HostText(nullptr);
  return HostText(decode(text.c_str(), nullptr, 0, 0));
}

}  // namespace sendwarden
