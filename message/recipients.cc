#include "message/recipients.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include <boost/tokenizer.hpp>

#include "base/ascii.h"
#include "message/address_list.h"
#include "message/address_reader.h"
#include "message/encoded_word_form.h"
#include "message/header_block.h"

namespace sendwarden {

namespace {

// What a text shows the patterns, read one way for a piece as split, as
// decoded, for an empty group and for the sender alike.
struct Shown {
  // What could make or hide an address: "<", ">" and "@", counted.
  size_t open = 0, close = 0, at = 0;
  // A line feed anywhere, or a carriage return before the very end, would
  // let "^" and "$" or a mail program see more than one line.
  bool lineBreak = false;
  // With an angle address, the text between the last "<" and the last ">",
  // blanks just inside the brackets trimmed; without one, the whole text,
  // trimmed; of the text's Bare form. Not `shows` when a "<" has no ">"
  // ending the text after it.
  bool shows = false;
  std::string_view address;
  bool textAfterAngle = false;  // more than blanks after the last ">" (of any)
};

std::string_view TrimmedBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return text.substr(text.size());
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A piece as the patterns see it: without a final carriage return (a line
// that ended in two) and the blanks around.
std::string_view Bare(std::string_view text) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return TrimmedBlanks(text);
}

Shown Read(std::string_view text) {
  // One pass counts the marks and finds the last brackets (a 10 MB address
  // is read twice a send: as split and as decoded).
  constexpr size_t kNone = std::string_view::npos;
  size_t open_marks = 0, close_marks = 0, at_marks = 0, last_open = kNone, last_close = kNone;
  bool line_break = false;
  for (size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
      case '<': ++open_marks; last_open = i; break;
      case '>': ++close_marks; last_close = i; break;
      case '@': ++at_marks; break;
      case '\n': line_break = true; break;
      case '\r': line_break |= i + 1 != text.size(); break;
      default: break;
    }
  }
  Shown shown;
  shown.open = open_marks;
  shown.close = close_marks;
  shown.at = at_marks;
  shown.lineBreak = line_break;
  std::string_view bare = Bare(text);
  // Brackets are neither blanks nor a carriage return: they stand in `bare`.
  size_t offset = static_cast<size_t>(bare.data() - text.data());
  size_t open = last_open == kNone ? kNone : last_open - offset;
  size_t close = last_close == kNone ? kNone : last_close - offset;
  shown.textAfterAngle = close != kNone && close + 1 < bare.size();
  if (open == kNone) {
    shown.shows = true;
    shown.address = bare;
  } else if (close != kNone && close > open && close + 1 == bare.size()) {
    shown.shows = true;
    shown.address = TrimmedBlanks(bare.substr(open + 1, close - open - 1));
  }
  return shown;
}

// The forms the reader reads but the extraction refuses on purpose: mail
// programs deliver them in ways the patterns cannot see.
struct RefusedForm {
  bool AddressMember::*form;
  ExtractionFault fault;
};
constexpr RefusedForm kRefusedForms[] = {
    {&AddressMember::inGroup, ExtractionFault::kGroupWithMembers},  // "name: a@x, b@y;"
    {&AddressMember::route, ExtractionFault::kRoute},               // "<@relay:a@x>"
    {&AddressMember::quotedLocalPart, ExtractionFault::kQuotedLocalPart},   // '"a b"@x'
    {&AddressMember::commentAfter, ExtractionFault::kCommentAfterAddress},  // "a@x (c)"
};

// The one comparison of the two readings of a field, member by member: the
// splitter's `piece` and the reader's `member`. They agree when the piece is
// a mailbox in no refused form, on one line, that shows the patterns the
// member's address; a group that names nobody agrees when neither reading
// could find an address in it. CutElsewhere then asks that both cut the
// field at the same commas.
ExtractionFault Disagreement(const Shown& shown, const AddressMember& member) {
  if (member.kind == AddressMember::Kind::kEmptyGroup) {
    if (shown.lineBreak) return ExtractionFault::kHiddenLineBreak;
    if (shown.at > 0 || shown.open > 0 || shown.close > 0) return ExtractionFault::kPiecesDiffer;
    return ExtractionFault::kNone;
  }
  for (const RefusedForm& refused : kRefusedForms) {
    if (member.*refused.form) return refused.fault;
  }
  if (shown.lineBreak) return ExtractionFault::kHiddenLineBreak;
  if (!shown.shows || shown.address != member.address) {
    // Said as what it is when it is text after the brackets: the address
    // shown is right, but the patterns would see the text too.
    return shown.textAfterAngle ? ExtractionFault::kTextAfterAngleAddress
                                : ExtractionFault::kAddressDiffers;
  }
  return ExtractionFault::kNone;
}

// True when `piece` is not what the splitter makes of its member's own text
// (its span of `value`): the two readings cut the field at other commas, so
// a piece may hold a recipient the reader put in another member. (The span
// leaves out the white space at its ends, the piece as Bare reads it its
// blanks and a final carriage return; a CR or LF anywhere else has already
// refused the piece as a line break.)
bool CutElsewhere(const std::string& piece, const AddressMember& member, std::string_view value) {
  return !SplitsIntoOnePiece(value.substr(member.span.begin, member.span.end - member.span.begin),
                             Bare(piece));
}

// What the decoder may do to a text, by what the text is. Decoding changes
// display names only: it never makes an address (an angle bracket, or,
// where no angle address stands, an "@"); in a recipient it hides no line;
// and it neither empties a mailbox nor shows another address for it.
struct DecodingRule {
  bool mayEmpty;
  ExtractionFault lineBreak;     // kNone: a line break is no fault
  ExtractionFault makesAddress;
  bool showsSameAddress;
};
constexpr DecodingRule kMailboxDecoding = {false, ExtractionFault::kHiddenLineBreak,
                                           ExtractionFault::kAddressFromDecoding, true};
constexpr DecodingRule kEmptyGroupDecoding = {true, ExtractionFault::kAddressFromDecoding,
                                              ExtractionFault::kAddressFromDecoding, false};
constexpr DecodingRule kSenderDecoding = {true, ExtractionFault::kNone,
                                          ExtractionFault::kSenderFromDecoding, false};

// Why `decoded`, read again the same way as its `raw` text was, might be
// taken for another recipient than the raw text, or kNone. `angle`: the
// raw text is an angle address, whose display name may hold an "@".
ExtractionFault DecodedFault(const DecodingRule& rule, const Shown& raw, const std::string& decoded,
                             bool angle) {
  if (decoded.empty() && !rule.mayEmpty) return ExtractionFault::kEmptiedByDecoding;
  Shown shown = Read(decoded);
  if (shown.lineBreak && rule.lineBreak != ExtractionFault::kNone) return rule.lineBreak;
  if (shown.open > raw.open || shown.close > raw.close || (!angle && shown.at > raw.at)) {
    return rule.makesAddress;
  }
  if (rule.showsSameAddress && !(shown.shows && shown.address == raw.address)) {
    return ExtractionFault::kAddressLost;
  }
  return ExtractionFault::kNone;
}

bool IsBlankPiece(const std::string& piece) {
  return piece.find_first_not_of(" \t") == std::string::npos;
}

// What in a field's comments the splitter reads otherwise: a '"' opens a
// quote for it, a "," cuts. (An escaped byte is neither, to both.)
struct CommentMarks {
  bool quote = false;
  bool comma = false;
};

CommentMarks MarksInComments(std::string_view value, const AddressReading& reading) {
  CommentMarks marks;
  for (const Span& comment : reading.comments) {
    for (size_t i = comment.begin; i < comment.end; ++i) {
      if (value[i] == '\\') {
        ++i;
      } else if (value[i] == '"') {
        marks.quote = true;
      } else if (value[i] == ',') {
        marks.comma = true;
      }
    }
  }
  return marks;
}

// Every line of a field and of its Resent- counterpart (a message sent on
// again goes to those recipients as well), each to be read on its own:
// header_block joins a repeated field's lines with a line feed.
std::vector<std::string_view> FieldLines(const HeaderMap& headers, Field field) {
  std::vector<std::string_view> lines;
  for (std::string key : {std::string(FieldKey(field)), "RESENT-" + std::string(FieldKey(field))}) {
    auto found = headers.find(key);
    if (found == headers.end()) continue;
    std::string_view value = found->second;
    for (size_t start = 0;;) {
      size_t end = value.find('\n', start);
      lines.push_back(value.substr(start, end == std::string_view::npos ? end : end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }
  return lines;
}

}  // namespace

namespace {

constexpr FaultInfo kFaults[] = {
    {ExtractionFault::kNone, ExtractionStage::kNone, "none"},
    {ExtractionFault::kMalformedEscape, ExtractionStage::kSplit, "malformed-escape"},
    {ExtractionFault::kNoDecodedText, ExtractionStage::kDecode, "no-decoded-text"},
    {ExtractionFault::kEmptiedByDecoding, ExtractionStage::kDecode, "emptied-by-decoding"},
    {ExtractionFault::kAddressLost, ExtractionStage::kDecode, "address-lost"},
    {ExtractionFault::kHiddenLineBreak, ExtractionStage::kDecode, "hidden-line-break"},
    {ExtractionFault::kAddressFromDecoding, ExtractionStage::kDecode, "address-from-decoding"},
    {ExtractionFault::kUnreadable, ExtractionStage::kRead, "unreadable"},
    {ExtractionFault::kPiecesDiffer, ExtractionStage::kAgree, "pieces-differ"},
    {ExtractionFault::kAddressDiffers, ExtractionStage::kAgree, "address-differs"},
    {ExtractionFault::kGroupWithMembers, ExtractionStage::kForm, "group-with-members"},
    {ExtractionFault::kQuotedLocalPart, ExtractionStage::kForm, "quoted-local-part"},
    {ExtractionFault::kRoute, ExtractionStage::kForm, "route"},
    {ExtractionFault::kCommentAfterAddress, ExtractionStage::kForm, "comment-after-address"},
    {ExtractionFault::kTwoSenders, ExtractionStage::kSender, "two-senders"},
    {ExtractionFault::kSenderNotOne, ExtractionStage::kSender, "sender-not-one"},
    {ExtractionFault::kSenderUnreadable, ExtractionStage::kSender, "sender-unreadable"},
    {ExtractionFault::kSenderFromDecoding, ExtractionStage::kSender, "sender-from-decoding"},
    {ExtractionFault::kBareCarriageReturn, ExtractionStage::kHeader, "bare-carriage-return"},
    {ExtractionFault::kHeaderNotEnded, ExtractionStage::kHeader, "header-not-ended"},
    {ExtractionFault::kUnclearEncodedWord, ExtractionStage::kDecode, "unclear-encoded-word"},
    {ExtractionFault::kTextAfterAngleAddress, ExtractionStage::kForm, "text-after-address"},
};

constexpr bool InOrder() {
  for (size_t i = 0; i < sizeof kFaults / sizeof *kFaults; ++i) {
    if (static_cast<size_t>(kFaults[i].fault) != i) return false;
  }
  return true;
}
static_assert(InOrder(), "kFaults lists every fault, in the enum's order");

}  // namespace

const FaultInfo& InfoOf(ExtractionFault fault) {
  size_t index = static_cast<size_t>(fault);
  return index < sizeof kFaults / sizeof *kFaults ? kFaults[index] : kFaults[0];
}

const char* FieldKey(Field field) {
  switch (field) {
    case Field::kTo: return "TO";
    case Field::kCc: return "CC";
    case Field::kBcc: return "BCC";
  }
  return "";
}

AddressLines& Recipients::Lines(Field field) {
  switch (field) {
    case Field::kTo: return to;
    case Field::kCc: return cc;
    case Field::kBcc: return bcc;
  }
  return to;
}

const AddressLines& Recipients::Lines(Field field) const {
  switch (field) {
    case Field::kTo: return to;
    case Field::kCc: return cc;
    case Field::kBcc: return bcc;
  }
  return to;
}

Extraction ExtractRecipients(const char* message, HeaderDecoder& decoder) {
  std::string line;
  if (HasBareCarriageReturn(message, &line)) {
    Extraction out;
    out.fault = ExtractionFault::kBareCarriageReturn;
    out.faultField = "HEADER";
    out.faultDetail = line;
    return out;
  }
  HeaderMap headers;
  FoldedFields folded;
  if (!ParseHeaderBlock(message, headers, &folded)) {
    Extraction out;
    out.fault = ExtractionFault::kHeaderNotEnded;
    out.faultField = "HEADER";
    return out;
  }
  return ExtractRecipients(headers, folded, decoder);
}

Extraction ExtractRecipients(const HeaderMap& headers, const FoldedFields& folded,
                             HeaderDecoder& decoder) {
  auto value = [&headers](const char* key) -> const std::string& {
    static const std::string kEmpty;
    auto found = headers.find(key);
    return found == headers.end() ? kEmpty : found->second;
  };
  Extraction out;
  auto fail = [&out](ExtractionFault fault, const char* field, const std::string& detail) {
    out.fault = fault;
    out.faultField = field;
    out.faultDetail = detail;
    return out;
  };

  // A fold inside a quoted string, a comment or a domain literal: the field
  // unfolded reads well, but other readers end the quote at the line end
  // and find addresses in what follows.
  for (const auto& [key, lines] : folded) {
    for (const std::string& line : lines) {
      AddressReading reading = ReadAddressList(line);
      if (reading.error != AddressSyntax::kLineBreakInside) continue;
      out.syntax = reading.error;
      bool sender = key == "FROM";
      std::string shown = key.compare(0, 7, "RESENT-") == 0 ? key.substr(7) : key;
      return fail(sender ? ExtractionFault::kSenderUnreadable : ExtractionFault::kUnreadable,
                  sender ? "FROM" : shown == "TO" ? "TO" : shown == "CC" ? "CC" : "BCC", line);
    }
  }

  AddressPieces pieces;
  std::string decoded;
  for (Field field : kAddressFields) {
    const char* key = FieldKey(field);
    AddressLines& lines = out.recipients.Lines(field);
    for (std::string_view line : FieldLines(headers, field)) {
      const std::string field_value(line);
      try {
        SplitAddressList(field_value, pieces);
      } catch (const boost::escaped_list_error& error) {
        return fail(ExtractionFault::kMalformedEscape, key, error.what());
      }
      AddressReading reading = ReadAddressList(field_value);
      if (reading.error != AddressSyntax::kNone) {
        out.syntax = reading.error;
        return fail(ExtractionFault::kUnreadable, key, field_value);
      }
      size_t non_empty = static_cast<size_t>(std::count_if(
          pieces.begin(), pieces.end(), [](const std::string& p) { return !IsBlankPiece(p); }));
      CommentMarks comment_marks = MarksInComments(field_value, reading);
      auto pieces_differ = [&](const std::string& detail) {
        out.quoteInComment = comment_marks.quote;
        out.commaInComment = comment_marks.comma;
        return fail(ExtractionFault::kPiecesDiffer, key, detail);
      };
      if (non_empty != reading.members.size()) return pieces_differ(field_value);
      // The two cut at the same commas by construction (quoted strings and
      // escapes read alike, and a backslash elsewhere makes the field
      // unreadable) but
      // where a '"' or a "," stands in a comment or a domain literal.
      bool cuts_may_differ = comment_marks.quote || comment_marks.comma ||
                             field_value.find('[') != std::string::npos;
      size_t next_member = 0;
      for (const std::string& piece : pieces) {
        const AddressMember* member = nullptr;
        Shown shown;
        if (!IsBlankPiece(piece)) {
          member = &reading.members[next_member++];
          shown = Read(piece);
          ExtractionFault fault = Disagreement(shown, *member);
          if (fault != ExtractionFault::kNone) return fail(fault, key, piece);
          if (cuts_may_differ && CutElsewhere(piece, *member, field_value)) {
            return pieces_differ(piece);
          }
        }
        if (FindUnclearEncodedWord(piece) != std::string::npos) {
          return fail(ExtractionFault::kUnclearEncodedWord, key, piece);
        }
        if (!decoder.DecodeAddress(piece, &decoded)) {
          return fail(ExtractionFault::kNoDecodedText, key, piece);
        }
        if (HoldsUndecodedWord(decoded)) return fail(ExtractionFault::kUnclearEncodedWord, key, piece);
        if (member == nullptr) {
          lines.push_back(decoded);
          continue;
        }
        // A group that names nobody is not checked; but neither as written
        // nor as decoded may it show an address another reading could take.
        bool named = member->kind == AddressMember::Kind::kMailbox;
        ExtractionFault fault = DecodedFault(named ? kMailboxDecoding : kEmptyGroupDecoding, shown,
                                             decoded, named && member->angle);
        if (fault != ExtractionFault::kNone) return fail(fault, key, piece);
        if (named) lines.push_back(decoded);
      }
    }
  }

  // The sender chooses sections, so it may name one mailbox at most, and
  // only one it is sent from: header_block joins a repeated From with a
  // line feed, which no line holds.
  const std::string& from = value("FROM");
  if (from.find('\n') != std::string::npos) return fail(ExtractionFault::kTwoSenders, "FROM", from);
  AddressReading sender = ReadAddressList(from);
  if (sender.error != AddressSyntax::kNone) {
    if (from.find('@') != std::string::npos) {
      out.syntax = sender.error;
      return fail(ExtractionFault::kSenderUnreadable, "FROM", from);
    }
  } else {
    size_t mailboxes = 0;
    for (const AddressMember& member : sender.members) {
      if (member.kind == AddressMember::Kind::kMailbox) ++mailboxes;
      if (member.inGroup) mailboxes = 2;
    }
    if (mailboxes > 1) return fail(ExtractionFault::kSenderNotOne, "FROM", from);
  }
  if (FindUnclearEncodedWord(from) != std::string::npos) {
    return fail(ExtractionFault::kUnclearEncodedWord, "FROM", from);
  }
  if (!decoder.DecodeSender(from, &out.recipients.sender)) {
    return fail(ExtractionFault::kNoDecodedText, "FROM", from);
  }
  if (HoldsUndecodedWord(out.recipients.sender)) {
    return fail(ExtractionFault::kUnclearEncodedWord, "FROM", from);
  }
  ExtractionFault fault = DecodedFault(kSenderDecoding, Read(from), out.recipients.sender, false);
  if (fault != ExtractionFault::kNone) return fail(fault, "FROM", from);
  return out;
}

}  // namespace sendwarden
