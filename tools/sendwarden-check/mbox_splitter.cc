#include "tools/sendwarden-check/mbox_splitter.h"

#include <algorithm>
#include <cstring>

namespace sendwarden_checker {

namespace {

constexpr size_t kFromLength = 5;  // "From "

bool IsEmptyLine(const std::string& line) { return line == "\n" || line == "\r\n"; }

}  // namespace

MboxSplitter::MboxSplitter(Framing framing, size_t max_header, Sink sink)
    : framing_(framing), maxHeader_(max_header), sink_(std::move(sink)),
      state_(framing == Framing::kMessage ? State::kHeader : State::kBetween) {
  if (framing_ == Framing::kMessage) StartMessage(0);
}

bool MboxSplitter::LooksLikeMbox(std::string_view first_bytes) {
  size_t at = 0;
  for (;;) {
    if (first_bytes.substr(at, 1) == "\n") {
      at += 1;
    } else if (first_bytes.substr(at, 2) == "\r\n") {
      at += 2;
    } else {
      break;
    }
  }
  std::string_view line = first_bytes.substr(at);
  if (line.substr(0, kFromLength) != "From ") return false;
  size_t next = line.find_first_not_of(" \t", kFromLength);
  return next == std::string_view::npos || line[next] != ':';
}

void MboxSplitter::StartMessage(uint64_t offset) {
  message_ = SplitMessage();
  message_.number = ++count_;
  message_.offset = offset;
  inMessage_ = true;
  blankOnly_ = false;
}

void MboxSplitter::EmitMessage() {
  if (!inMessage_) return;
  inMessage_ = false;
  sink_(std::move(message_));
}

void MboxSplitter::Feed(const char* data, size_t size) {
  const char* cursor = data;
  const char* end = data + size;
  while (cursor < end) {
    const char* newline = static_cast<const char*>(std::memchr(cursor, '\n', end - cursor));
    const char* stop = newline != nullptr ? newline + 1 : end;
    size_t length = static_cast<size_t>(stop - cursor);
    // A header line is kept whole, up to the limit (and two bytes more: it
    // may yet be the empty line that ends the block); so is the line after a
    // .bmf message, which starts the next one. Of any other line only what
    // tells whether it starts or ends a message.
    bool whole = state_ == State::kHeader ||
                 (framing_ == Framing::kBmf && state_ == State::kBetween);
    size_t room = whole ? std::max(maxHeader_ + 2, kFromLength) : kFromLength;
    size_t keep = line_.size() < room ? std::min(length, room - line_.size()) : 0;
    line_.append(cursor, keep);
    lineLength_ += length;
    offset_ += length;
    cursor = stop;
    if (newline != nullptr) EndOfLine(true);
  }
}

// A "From " line starts a message at the start of the stream or after an
// empty line; anywhere else it is a body line that a writer did not quote.
bool MboxSplitter::StartsMessage() const {
  return framing_ == Framing::kMbox && afterEmptyLine_ && lineLength_ >= kFromLength &&
         line_.compare(0, kFromLength, "From ") == 0;
}

// A line holding a single "." ends a .bmf message; the stream's last line
// may lack its line end.
bool MboxSplitter::EndsMessage(bool line_end) const {
  if (framing_ != Framing::kBmf) return false;
  return line_ == ".\n" || line_ == ".\r\n" || (!line_end && (line_ == "." || line_ == ".\r"));
}

void MboxSplitter::HeaderLine(bool line_end) {
  if (line_end && IsEmptyLine(line_)) {
    // An empty line, or one that is a lone carriage return, ends the block;
    // it is kept, so that the block reads as the plug-in reads the message.
    message_.headerEnded = true;
    message_.header += line_;
    state_ = State::kBody;
  } else if (!line_end && line_ == "\r") {
    // A lone carriage return at the very end adds nothing.
  } else if (message_.header.size() + lineLength_ > maxHeader_) {
    message_.headerTooLong = true;
    state_ = State::kBody;
  } else {
    message_.header += line_;
  }
}

// `line_end`: false for the stream's last line when it has none.
void MboxSplitter::EndOfLine(bool line_end) {
  bool empty = line_end && IsEmptyLine(line_);
  if (StartsMessage()) {
    EmitMessage();
    StartMessage(lineOffset_);
    state_ = State::kHeader;
  } else if (EndsMessage(line_end)) {
    // Between two messages it ends one that has no line at all: none.
    EmitMessage();
    state_ = State::kBetween;
  } else if (framing_ == Framing::kBmf && state_ == State::kBetween) {
    StartMessage(lineOffset_);
    state_ = State::kHeader;
    HeaderLine(line_end);
    blankOnly_ = empty;
  } else if (state_ == State::kHeader) {
    HeaderLine(line_end);
  } else if (!empty) {
    blankOnly_ = false;
  }
  afterEmptyLine_ = empty;
  lineOffset_ = offset_;
  line_.clear();
  lineLength_ = 0;
}

void MboxSplitter::Finish() {
  if (lineLength_ > 0) EndOfLine(false);  // a last line without a line end
  if (inMessage_ && blankOnly_) {
    // Empty lines after a .bmf's last message are no message.
    inMessage_ = false;
    --count_;
  }
  EmitMessage();
}

}  // namespace sendwarden_checker
