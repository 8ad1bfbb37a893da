#include "tools/check/mbox_splitter.h"

#include <algorithm>
#include <cstring>

namespace sendwarden_checker {

namespace {
constexpr size_t kFromLength = 5;  // "From "
}  // namespace

MboxSplitter::MboxSplitter(bool mbox, size_t max_header, Sink sink)
    : mbox_(mbox), maxHeader_(max_header), sink_(std::move(sink)),
      state_(mbox ? State::kBeforeFirst : State::kHeader) {
  if (!mbox_) StartMessage(0);
}

bool MboxSplitter::LooksLikeMbox(const std::string& first_bytes) {
  return first_bytes.compare(0, kFromLength, "From ") == 0;
}

void MboxSplitter::StartMessage(uint64_t offset) {
  message_ = SplitMessage();
  message_.number = ++count_;
  message_.offset = offset;
  inMessage_ = true;
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
    // may yet be the empty line that ends the block); of any other line only
    // what tells whether it starts a message.
    size_t room = state_ == State::kHeader ? maxHeader_ + 2 : kFromLength;
    size_t keep = line_.size() < room ? std::min(length, room - line_.size()) : 0;
    line_.append(cursor, keep);
    lineLength_ += length;
    offset_ += length;
    cursor = stop;
    if (newline != nullptr) EndOfLine();
  }
}

// A "From " line starts a message at the start of the stream or after an
// empty line; anywhere else it is a body line that a writer did not quote.
bool MboxSplitter::StartsMessage() const {
  return mbox_ && afterEmptyLine_ && lineLength_ >= kFromLength &&
         line_.compare(0, kFromLength, "From ") == 0;
}

void MboxSplitter::EndOfLine() {
  bool starts_message = StartsMessage();
  if (starts_message) {
    EmitMessage();
    StartMessage(lineOffset_);
    state_ = State::kHeader;
  } else if (state_ == State::kHeader) {
    // An empty line, or one that is a lone carriage return, ends the block.
    if (line_ == "\n" || line_ == "\r\n") {
      message_.headerEnded = true;
      state_ = State::kBody;
    } else if (message_.header.size() + lineLength_ > maxHeader_) {
      message_.headerTooLong = true;
      state_ = State::kBody;
    } else {
      message_.header += line_;
    }
  }
  afterEmptyLine_ = line_ == "\n" || line_ == "\r\n";
  lineOffset_ = offset_;
  line_.clear();
  lineLength_ = 0;
}

void MboxSplitter::Finish() {
  if (lineLength_ > 0) {
    // A last line without a line end.
    bool starts_message = StartsMessage();
    if (!starts_message && state_ == State::kHeader && line_ != "\r") {
      if (message_.header.size() + lineLength_ > maxHeader_) {
        message_.headerTooLong = true;
      } else {
        message_.header += line_;
      }
    }
    if (starts_message) {
      EmitMessage();
      StartMessage(lineOffset_);
    }
  }
  EmitMessage();
  line_.clear();
  lineLength_ = 0;
}

}  // namespace sendwarden_checker
