// Owns one text the host handed out, and gives it back exactly once.
#ifndef SENDWARDEN_HOST_HOST_TEXT_H_
#define SENDWARDEN_HOST_HOST_TEXT_H_

#include <string>

#include "host/host_api.h"

namespace sendwarden {

class HostText {
 public:
  explicit HostText(char* text) : text_(text) {}
  HostText(HostText&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
  HostText(const HostText&) = delete;
  HostText& operator=(const HostText&) = delete;
  HostText& operator=(HostText&&) = delete;
  // Releases the text with BKA_Free.
  ~HostText();

  // Null when the host returned no text.
  const char* get() const { return text_; }

 private:
  char* text_;
};

// BKA_MIMEHeader(text, nullptr, 0, 0): the host's decoded form of a header
// text. Holds null when the host is not bound or returned nothing.
HostText DecodeHeaderText(const std::string& text);

}  // namespace sendwarden

#endif  // SENDWARDEN_HOST_HOST_TEXT_H_
