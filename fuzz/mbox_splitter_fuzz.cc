// Fuzzes the mbox splitter: any bytes as an archive (an mbox or a single
// message, as the start of the bytes says, or a .bmf file), fed whole and
// fed in pieces whose sizes come from the input. Both must give the same
// messages, and no header block may pass the limit (the empty line that
// ended a block is kept beside it and not counted).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sendwarden-check/mbox_splitter.h"

namespace {

std::vector<sendwarden_checker::SplitMessage> Split(const std::string& text,
                                                  sendwarden_checker::Framing framing,
                                                  size_t piece) {
  std::vector<sendwarden_checker::SplitMessage> out;
  sendwarden_checker::MboxSplitter splitter(
      framing, 64, [&](sendwarden_checker::SplitMessage&& m) { out.push_back(std::move(m)); });
  for (size_t at = 0; at < text.size(); at += piece) {
    splitter.Feed(text.data() + at, std::min(piece, text.size() - at));
  }
  splitter.Finish();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using sendwarden_checker::Framing;
  size_t piece = 1 + data[0] % 16;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  Framing framing = (data[0] & 0x10) != 0 ? Framing::kBmf
                    : sendwarden_checker::MboxSplitter::LooksLikeMbox(text) ? Framing::kMbox
                                                                          : Framing::kMessage;
  auto whole = Split(text, framing, text.size() + 1);
  auto pieces = Split(text, framing, piece);
  if (whole.size() != pieces.size()) __builtin_trap();
  for (size_t i = 0; i < whole.size(); ++i) {
    const auto& m = whole[i];
    if (m.header != pieces[i].header || m.offset != pieces[i].offset ||
        m.number != pieces[i].number || m.headerTooLong != pieces[i].headerTooLong ||
        m.headerEnded != pieces[i].headerEnded) {
      __builtin_trap();
    }
    size_t ending = 0;
    if (m.headerEnded) {
      ending = m.header.size() >= 2 && m.header.compare(m.header.size() - 2, 2, "\r\n") == 0 ? 2 : 1;
    }
    if (m.header.size() - std::min(ending, m.header.size()) > 64) __builtin_trap();
  }
  return 0;
}
