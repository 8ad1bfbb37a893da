// Cuts a stream of bytes into mail messages and keeps each one's header
// block, without ever holding more than one header block. Three framings:
// a single message; an mbox (messages after lines that start with "From ",
// at the start or after an empty line); and the mail client's .bmf folder
// file (messages one after another, each ended by a line holding a single
// "."). Bodies are only looked at for where the next message starts.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MBOX_SPLITTER_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MBOX_SPLITTER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sendwarden_checker {

enum class Framing {
  kMessage,  // the whole stream is one message
  kMbox,     // a "From " line, not part of the message, before each
  kBmf,      // a line holding a single "." after each
};

struct SplitMessage {
  uint64_t number = 0;   // 1-based, in the stream
  uint64_t offset = 0;   // where it starts: its "From " line in an mbox
  std::string header;    // the header block, its lines with their line ends, and
                         // the empty line that ended it (if one did)
  bool headerEnded = false;  // an empty line (or a lone CR) ended it
  bool headerTooLong = false;  // cut at the limit: the rest was not kept
};

class MboxSplitter {
 public:
  using Sink = std::function<void(SplitMessage&&)>;

  // kMbox: messages start at lines beginning with "From " at the start of
  // the stream or after an empty line; empty lines before the first are
  // nobody's. kBmf: a message starts at the stream's first line and at the
  // line after each line that holds a single "." (which ends a message
  // wherever it stands, in a header block too); a stream that ends with
  // nothing but empty lines after the last "." holds no more messages. Lines
  // a writer stuffed with a second dot are body lines, never a message's
  // end, and stay as they are: no header block holds one. A header block
  // longer than `max_header` bytes is cut there and marked.
  MboxSplitter(Framing framing, size_t max_header, Sink sink);

  // The next bytes of the stream; messages that end in them go to the sink.
  void Feed(const char* data, size_t size);
  // The end of the stream: the last message goes to the sink.
  void Finish();

  // True once the current message's header block is complete: a single
  // message needs nothing after it.
  bool HeaderDone() const { return inMessage_ && state_ == State::kBody; }

  // True when `first_bytes` (the start of a file) begin an mbox: after any
  // empty lines, a "From " line. A message's own header field "From :"
  // (a blank before the colon, as old mail wrote it) is no such line.
  static bool LooksLikeMbox(std::string_view first_bytes);

 private:
  // kBetween: before an mbox's first message, or between two .bmf messages.
  enum class State { kBetween, kHeader, kBody };

  bool StartsMessage() const;
  bool EndsMessage(bool line_end) const;
  void EndOfLine(bool line_end);
  void HeaderLine(bool line_end);
  void StartMessage(uint64_t offset);
  void EmitMessage();

  const Framing framing_;
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
  bool blankOnly_ = false;      // .bmf: the message so far is empty lines
  uint64_t count_ = 0;
};

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MBOX_SPLITTER_H_
