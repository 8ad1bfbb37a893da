// Cuts an address field (To, Cc, Bcc) into one trimmed piece per recipient.
#ifndef SENDWARDEN_MESSAGE_ADDRESS_LIST_H_
#define SENDWARDEN_MESSAGE_ADDRESS_LIST_H_

#include <string>
#include <string_view>
#include <vector>

namespace sendwarden {

using AddressPieces = std::vector<std::string>;

// Empties `pieces`, then appends the comma-separated tokens of `value`, each
// trimmed by TrimBlanks; empty pieces are kept. Tokens follow
// boost::escaped_list_separator with escape '\\', separator ',' and quote
// '"': quotes are dropped and protect commas, "\n" gives a line feed, and
// '\\' before '"', ',' or '\\' gives that byte. Bytes are tested one at a
// time, without regard to double-byte characters.
//
// Throws boost::escaped_list_error ("unknown escape sequence" or "cannot end
// with escape") on a malformed escape; the pieces before the faulty token
// stay in `pieces`.
void SplitAddressList(const std::string& value, AddressPieces& pieces);

// True when SplitAddressList would cut `text` into the one piece `piece`
// (false on a malformed escape). Copies nothing but that piece.
bool SplitsIntoOnePiece(std::string_view text, std::string_view piece);

}  // namespace sendwarden

#endif  // SENDWARDEN_MESSAGE_ADDRESS_LIST_H_
