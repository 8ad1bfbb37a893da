// Cuts a stream of bytes into mail messages and keeps each one's header
// block, without ever holding more than one header block: an mbox (messages
// after lines that start with "From ", at the start or after an empty line)
// or a single message. Bodies are only looked at for the next "From " line.
#ifndef SENDWARDEN_TOOLS_CHECK_MBOX_SPLITTER_H_
#define SENDWARDEN_TOOLS_CHECK_MBOX_SPLITTER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace sendwarden_checker {

struct SplitMessage {
  uint64_t number = 0;   // 1-based, in the stream
  uint64_t offset = 0;   // where it starts: its "From " line in an mbox
  std::string header;    // the header block, its lines with their line ends
  bool headerEnded = false;  // an empty line (or a lone CR) ended it
  bool headerTooLong = false;  // cut at the limit: the rest was not kept
};

class MboxSplitter {
 public:
  using Sink = std::function<void(SplitMessage&&)>;

  // `mbox`: messages start at lines beginning with "From " (not part of the
  // message) at the start of the stream or after an empty line; otherwise
  // the whole stream is one message. A header block
  // longer than `max_header` bytes is cut there and marked.
  MboxSplitter(bool mbox, size_t max_header, Sink sink);

  // The next bytes of the stream; messages that end in them go to the sink.
  void Feed(const char* data, size_t size);
  // The end of the stream: the last message goes to the sink.
  void Finish();

  // True once the current message's header block is complete: a single
  // message needs nothing after it.
  bool HeaderDone() const { return inMessage_ && state_ == State::kBody; }

  // True when `first_bytes` (the start of a file) begin an mbox.
  static bool LooksLikeMbox(const std::string& first_bytes);

 private:
  enum class State { kBeforeFirst, kHeader, kBody };

  bool StartsMessage() const;
  void EndOfLine();
  void StartMessage(uint64_t offset);
  void EmitMessage();

  const bool mbox_;
  const size_t maxHeader_;
  Sink sink_;
  State state_;
  uint64_t offset_ = 0;       // of the next byte fed
  uint64_t lineOffset_ = 0;   // of the current line's first byte
  std::string line_;          // the current line: whole in a header, its first bytes elsewhere
  size_t lineLength_ = 0;     // the current line's whole length so far
  SplitMessage message_;
  bool inMessage_ = false;
  bool afterEmptyLine_ = true;  // the stream's start counts as one
  uint64_t count_ = 0;
};

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_CHECK_MBOX_SPLITTER_H_
