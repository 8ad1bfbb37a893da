#include "message/recipients.h"

#include <boost/tokenizer.hpp>

#include "message/address_list.h"
#include "message/header_block.h"

namespace sendwarden {

namespace {

// True when a double quote of `value` opens and never closes, read with the
// splitter's rules: a backslash takes the next byte, a quote toggles.
bool HasUnclosedQuote(const std::string& value) {
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\') {
      ++i;
    } else if (value[i] == '"') {
      quoted = !quoted;
    }
  }
  return quoted;
}

// True when every "<...>" of `piece` stands in `decoded` too.
bool AngleAddressesKept(const std::string& piece, const std::string& decoded) {
  for (size_t open = piece.find('<'); open != std::string::npos; open = piece.find('<', open + 1)) {
    size_t close = piece.find('>', open);
    if (close == std::string::npos) break;
    if (decoded.find(piece.substr(open, close - open + 1)) == std::string::npos) return false;
  }
  return true;
}

}  // namespace

const char* FieldKey(Field field) {
  switch (field) {
    case Field::kTo: return "TO";
    case Field::kCc: return "CC";
    case Field::kBcc: return "BCC";
  }
  return "";
}

std::string& Recipients::Lines(Field field) {
  switch (field) {
    case Field::kTo: return to;
    case Field::kCc: return cc;
    case Field::kBcc: return bcc;
  }
  return to;
}

const std::string& Recipients::Lines(Field field) const {
  return const_cast<Recipients*>(this)->Lines(field);
}

Extraction ExtractRecipients(const char* message, HeaderDecoder& decoder) {
  HeaderMap headers;
  ParseHeaderBlock(message, headers);
  return ExtractRecipients(headers, decoder);
}

Extraction ExtractRecipients(const HeaderMap& headers, HeaderDecoder& decoder) {
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

  AddressPieces pieces;
  std::string decoded;
  for (Field field : kAddressFields) {
    try {
      SplitAddressList(value(FieldKey(field)), pieces);
    } catch (const boost::escaped_list_error& error) {
      return fail(ExtractionFault::kMalformedEscape, FieldKey(field), error.what());
    }
    if (HasUnclosedQuote(value(FieldKey(field)))) {
      return fail(ExtractionFault::kUnclosedQuote, FieldKey(field), value(FieldKey(field)));
    }
    std::string& lines = out.recipients.Lines(field);
    for (const std::string& piece : pieces) {
      if (!decoder.DecodeAddress(piece, &decoded)) {
        return fail(ExtractionFault::kNoDecodedText, FieldKey(field), piece);
      }
      if (!piece.empty() && decoded.empty()) {
        return fail(ExtractionFault::kEmptiedByDecoding, FieldKey(field), piece);
      }
      if (!AngleAddressesKept(piece, decoded)) {
        return fail(ExtractionFault::kAddressLost, FieldKey(field), piece);
      }
      lines += decoded;
      lines += '\n';
    }
  }
  if (!decoder.DecodeSender(value("FROM"), &out.recipients.sender)) {
    return fail(ExtractionFault::kNoDecodedText, "FROM", value("FROM"));
  }
  return out;
}

bool IdentityDecoder::DecodeAddress(const std::string& piece, std::string* decoded) {
  *decoded = piece;
  return true;
}

bool IdentityDecoder::DecodeSender(const std::string& from, std::string* decoded) {
  *decoded = from;
  return true;
}

}  // namespace sendwarden
