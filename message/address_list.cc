#include "message/address_list.h"

#include <boost/tokenizer.hpp>

#include "base/ascii.h"

namespace sendwarden {

void SplitAddressList(const std::string& value, AddressPieces& pieces) {
  pieces.clear();
  using Separator = boost::escaped_list_separator<char>;
  boost::tokenizer<Separator> tokens(value, Separator('\\', ',', '"'));
  for (auto it = tokens.begin(); it != tokens.end(); ++it) {
    std::string piece = *it;
    TrimBlanks(piece);
    pieces.push_back(std::move(piece));
  }
}

bool SplitsIntoOnePiece(std::string_view text, std::string_view piece) {
  using Separator = boost::escaped_list_separator<char>;
  const char* begin = text.data();
  boost::tokenizer<Separator, const char*> tokens(begin, begin + text.size(),
                                                  Separator('\\', ',', '"'));
  try {
    auto it = tokens.begin();
    if (it == tokens.end()) return piece.empty();
    std::string first = *it;
    TrimBlanks(first);
    return first == piece && ++it == tokens.end();
  } catch (const boost::escaped_list_error&) {
    return false;
  }
}

}  // namespace sendwarden
