#include "host/host_text.h"

namespace sendwarden {

HostText::~HostText() {
  if (text_ != nullptr && free_ != nullptr) free_(text_);
}

HostText DecodeHeaderText(const HostApi& api, const std::string& text) {
  if (api.BKA_MIMEHeader == nullptr) return HostText(nullptr, api.BKA_Free);
  return HostText(api.BKA_MIMEHeader(text.c_str(), nullptr, 0, 0), api.BKA_Free);
}

bool HostDecoder::DecodeAddress(const std::string& piece, std::string* decoded) {
  HostText text = DecodeHeaderText(api_, piece);
  if (text.get() == nullptr) return false;
  decoded->assign(text.get());
  return true;
}

bool HostDecoder::DecodeSender(const std::string& from, std::string* decoded) {
  sender_.reset();
  sender_.emplace(DecodeHeaderText(api_, from));
  if (sender_->get() == nullptr) return false;
  decoded->assign(sender_->get());
  return true;
}

}  // namespace sendwarden
