// Host texts: each one the host hands out is owned by a HostText and given
// back with BKA_Free exactly once; and the decoder the send hook hands to the
// recipient extraction, which asks the host.
#ifndef SENDWARDEN_HOST_HOST_TEXT_H_
#define SENDWARDEN_HOST_HOST_TEXT_H_

#include <optional>
#include <string>

#include "host/host_api.h"
#include "message/recipients.h"

namespace sendwarden {

class HostText {
 public:
  HostText(char* text, FreeFunction free) : text_(text), free_(free) {}
  HostText(HostText&& other) noexcept : text_(other.text_), free_(other.free_) {
    other.text_ = nullptr;
  }
  HostText(const HostText&) = delete;
  HostText& operator=(const HostText&) = delete;
  HostText& operator=(HostText&&) = delete;
  // Releases the text with BKA_Free.
  ~HostText();

  // Null when the host returned no text.
  const char* get() const { return text_; }

 private:
  char* text_;
  FreeFunction free_;
};

// BKA_MIMEHeader(text, nullptr, 0, 0) through `api`. Holds null when the
// host is not bound or returned nothing.
HostText DecodeHeaderText(const HostApi& api, const std::string& text);

// Decodes through the host. A piece's text is freed before the next piece is
// decoded; the sender's text is kept until the decoder is destroyed, which
// the send hook does after the check and its notice.
class HostDecoder : public HeaderDecoder {
 public:
  explicit HostDecoder(const HostApi& api) : api_(api) {}
  bool DecodeAddress(const std::string& piece, std::string* decoded) override;
  bool DecodeSender(const std::string& from, std::string* decoded) override;

 private:
  const HostApi& api_;
  std::optional<HostText> sender_;
};

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_HOST_TEXT_H_
