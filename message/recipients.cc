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

// What in a text could make or hide an address, counted in one pass.
struct Marks {
  size_t open = 0, close = 0, at = 0;
  // A line feed anywhere, or a carriage return before the very end, would
  // let "^" and "$" or a mail program see more than one line.
  bool lineBreak = false;
};

Marks MarksOf(std::string_view text) {
  Marks marks;
  for (size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
      case '<': ++marks.open; break;
      case '>': ++marks.close; break;
      case '@': ++marks.at; break;
      case '\n': marks.lineBreak = true; break;
      case '\r': marks.lineBreak |= i + 1 != text.size(); break;
      default: break;
    }
  }
  return marks;
}

std::string_view TrimmedBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// True when a piece (or its decoded text) shows the patterns `address`: with
// an angle address, the text between its last "<" and its last ">", with the
// blanks just inside the brackets trimmed, and only blanks after the ">";
// without one, the whole piece, trimmed. A carriage return that ends the
// text (a line that ended in two) is not part of it.
bool ShowsAddress(std::string_view text, const std::string& address) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  text = TrimmedBlanks(text);
  size_t open = text.rfind('<');
  if (open == std::string_view::npos) return text == address;
  size_t close = text.rfind('>');
  if (close == std::string_view::npos || close < open || close + 1 != text.size()) return false;
  return TrimmedBlanks(text.substr(open + 1, close - open - 1)) == address;
}

// True when something other than blanks stands after the last ">" of a
// piece that has one.
bool TextAfterAngle(std::string_view text) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  text = TrimmedBlanks(text);
  size_t close = text.rfind('>');
  return close != std::string_view::npos && close + 1 < text.size();
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

// Why the reader's `member` is not what `piece` shows, or kNone.
ExtractionFault MemberFault(const AddressMember& member, const std::string& piece,
                            const Marks& marks) {
  for (const RefusedForm& refused : kRefusedForms) {
    if (member.*refused.form) return refused.fault;
  }
  if (marks.lineBreak) return ExtractionFault::kHiddenLineBreak;
  if (!ShowsAddress(piece, member.address)) {
    // Said as what it is when it is text after the brackets: the address
    // shown is right, but the patterns would see the text too.
    return TextAfterAngle(piece) ? ExtractionFault::kTextAfterAngleAddress
                                 : ExtractionFault::kAddressDiffers;
  }
  return ExtractionFault::kNone;
}

// True when decoding gave a text more of what makes an address than it had
// as written: an angle bracket, or, where no angle address stands (a bare
// address, an empty group's name, the sender), an "@". The one rule for
// pieces, empty groups and the sender alike.
bool DecodingMakesAddress(const Marks& raw, const Marks& decoded, bool angle) {
  return decoded.open > raw.open || decoded.close > raw.close || (!angle && decoded.at > raw.at);
}

// Why `decoded` might be read as another recipient than the piece, or
// kNone. Decoding changes display names only: it neither empties a piece
// nor loses or makes an address.
ExtractionFault DecodedFault(const AddressMember& member, const Marks& piece,
                             const std::string& decoded) {
  if (decoded.empty()) return ExtractionFault::kEmptiedByDecoding;
  Marks marks = MarksOf(decoded);
  if (marks.lineBreak) return ExtractionFault::kHiddenLineBreak;
  if (DecodingMakesAddress(piece, marks, member.angle)) return ExtractionFault::kAddressFromDecoding;
  if (!ShowsAddress(decoded, member.address)) return ExtractionFault::kAddressLost;
  return ExtractionFault::kNone;
}

// A piece the reader takes for a group that names nobody: an "@", "<" or
// ">" in it would be an address to a reader that cuts the field otherwise.
ExtractionFault EmptyGroupFault(const Marks& marks) {
  if (marks.lineBreak) return ExtractionFault::kHiddenLineBreak;
  if (marks.at > 0 || marks.open > 0 || marks.close > 0) return ExtractionFault::kPiecesDiffer;
  return ExtractionFault::kNone;
}

bool IsBlankPiece(const std::string& piece) {
  return piece.find_first_not_of(" \t") == std::string::npos;
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
      if (non_empty != reading.members.size()) {
        out.quoteInComment = reading.quoteInComment;
        out.commaInComment = reading.commaInComment;
        return fail(ExtractionFault::kPiecesDiffer, key, field_value);
      }
      size_t next_member = 0;
      for (const std::string& piece : pieces) {
        const AddressMember* member = nullptr;
        Marks marks;
        if (!IsBlankPiece(piece)) {
          member = &reading.members[next_member++];
          marks = MarksOf(piece);
          ExtractionFault fault = member->kind == AddressMember::Kind::kMailbox
                                      ? MemberFault(*member, piece, marks)
                                      : EmptyGroupFault(marks);
          if (fault != ExtractionFault::kNone) return fail(fault, key, piece);
        }
        if (FindUnclearEncodedWord(piece) != std::string::npos) {
          return fail(ExtractionFault::kUnclearEncodedWord, key, piece);
        }
        if (!decoder.DecodeAddress(piece, &decoded)) {
          return fail(ExtractionFault::kNoDecodedText, key, piece);
        }
        if (HoldsUndecodedWord(decoded)) return fail(ExtractionFault::kUnclearEncodedWord, key, piece);
        if (member != nullptr && member->kind == AddressMember::Kind::kEmptyGroup) {
          // Names nobody, so it is not checked; but neither as written nor
          // as decoded may it show an address another reading could take.
          Marks decoded_marks = MarksOf(decoded);
          if (decoded_marks.lineBreak || DecodingMakesAddress(marks, decoded_marks, false)) {
            return fail(ExtractionFault::kAddressFromDecoding, key, piece);
          }
          continue;
        }
        if (member != nullptr) {
          ExtractionFault fault = DecodedFault(*member, marks, decoded);
          if (fault != ExtractionFault::kNone) return fail(fault, key, piece);
        }
        lines.push_back(decoded);
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
  if (DecodingMakesAddress(MarksOf(from), MarksOf(out.recipients.sender), false)) {
    return fail(ExtractionFault::kSenderFromDecoding, "FROM", from);
  }
  return out;
}

}  // namespace sendwarden
