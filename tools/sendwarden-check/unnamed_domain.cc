#include "tools/sendwarden-check/unnamed_domain.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "base/pattern.h"
#include "config/literal_prefilter.h"
#include "config/pattern_gate.h"
#include "config/pattern_shape.h"

namespace sendwarden_checker {

namespace {

// Labels of several kinds (a word, one letter, digits, a hyphen, a
// subdomain, an IDN, every letter and digit), so that a class like [a-z]+,
// \d+ or \w+, or a pattern that wants some letter somewhere, meets one it
// takes.
const char* const kLabels[] = {"nowhere", "q",   "a1",           "2026",
                               "x-y",     "zzz", "mail.nowhere", "xn--eckwd4c7c",
                               "abcdefghijklmnopqrstuvwxyz0123456789", "abcd", "pqrstuvwxyz"};
const char* const kSuffixes[] = {"",       ".com",   ".net",  ".org",  ".info", ".biz",
                                 ".io",    ".jp",    ".co.jp", ".ne.jp", ".or.jp", ".ac.jp",
                                 ".go.jp", ".ad.jp", ".gr.jp", ".ed.jp", ".lg.jp", ".co.uk",
                                 ".de",    ".cn",    ".kr",    ".tw"};
const char* const kLocalParts[] = {"x", "info", "sales", "support", "taro.yamada"};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// What follows the last "@" of a literal, or all of it: the domain part.
std::string DomainTail(const std::string& literal) {
  size_t at = literal.rfind('@');
  return at == std::string::npos ? literal : literal.substr(at + 1);
}

// The suffixes a pattern's own literal names beyond the common ones: for
// "@shop\.example\.fr" it is ".example.fr" and ".fr", so that a pattern
// for any domain under .fr is tried under .fr.
std::vector<std::string> OwnSuffixes(const std::string& literal) {
  std::string tail = Lower(DomainTail(literal));
  while (!tail.empty() && tail.back() == '>') tail.pop_back();
  std::vector<std::string> out;
  for (size_t dot = tail.find('.'); dot != std::string::npos; dot = tail.find('.', dot + 1)) {
    std::string suffix = tail.substr(dot);
    if (suffix.size() > 1 &&
        std::find(std::begin(kSuffixes), std::end(kSuffixes), suffix) == std::end(kSuffixes)) {
      out.push_back(suffix);
    }
  }
  return out;
}

std::vector<std::string> Domains(const std::vector<std::string>& suffixes) {
  std::vector<std::string> out;
  for (const std::string& suffix : suffixes) {
    for (const char* label : kLabels) out.push_back(label + suffix);
  }
  return out;
}

// The addresses at `domains`: "x@" each, and the other local parts at the
// first label's (a local part does not depend on the label), in the forms a
// recipient reaches the plug-in in: bare, in brackets, after a display name
// (quoted, Japanese in code page 932), and in capitals.
void AddRecipients(const std::vector<std::string>& domains, std::vector<std::string>* out) {
  for (const std::string& domain : domains) {
    bool first_label = domain.compare(0, std::strlen(kLabels[0]), kLabels[0]) == 0;
    for (const char* local : kLocalParts) {
      if (local != kLocalParts[0] && !first_label) continue;
      std::string address = std::string(local) + "@" + domain;
      for (std::string form : {address, "<" + address + ">", "Name <" + address + ">",
                               "\"Yamada, Taro\" <" + address + ">",
                               "\x8e\x52\x93\x63 \x91\xbe\x98\x59 <" + address + ">",
                               Upper(address)}) {
        out->push_back(std::move(form));
      }
    }
  }
}

const std::vector<std::string>& CommonDomains() {
  static const std::vector<std::string> domains =
      Domains(std::vector<std::string>(std::begin(kSuffixes), std::end(kSuffixes)));
  return domains;
}

const std::vector<std::string>& CommonRecipients() {
  static const std::vector<std::string> recipients = [] {
    std::vector<std::string> out;
    AddRecipients(CommonDomains(), &out);
    return out;
  }();
  return recipients;
}

// Each recipient followed by a line feed (none holds one), plain or folded.
std::string Joined(const std::vector<std::string>& recipients, bool folded) {
  std::string all;
  for (const std::string& recipient : recipients) all += recipient + "\n";
  return folded ? sendwarden::FoldCase(all) : all;
}

// Whether a shape's literal could end a recipient at one of `domains`: with
// its final ">"s left off and A-Z in lower case, what follows its last "@"
// is one of them, or, without an "@", ends one. Never false where
// ShapeFound could be true; false for almost every real list line.
bool MayEndAt(const std::string& literal, const std::vector<std::string>& domains) {
  std::string tail = literal;
  while (!tail.empty() && tail.back() == '>') tail.pop_back();
  bool has_at = tail.find('@') != std::string::npos;
  tail = Lower(DomainTail(tail));
  return std::any_of(domains.begin(), domains.end(), [&](const std::string& domain) {
    return has_at ? domain == tail
                  : domain.size() >= tail.size() &&
                        domain.compare(domain.size() - tail.size(), tail.size(), tail) == 0;
  });
}

template <typename Found>
std::optional<std::string> FirstFound(const std::vector<std::string>& recipients, Found found) {
  for (const std::string& recipient : recipients) {
    if (found(recipient)) return recipient;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> AllowedUnnamedRecipient(const std::string& text) {
  if (std::optional<sendwarden::PatternShape> shape = sendwarden::RecognizeShape(text)) {
    // Decided without the engine, as the plug-in decides it.
    std::vector<std::string> own = Domains(OwnSuffixes(shape->literal));
    if (!MayEndAt(shape->literal, CommonDomains()) && !MayEndAt(shape->literal, own)) {
      return std::nullopt;
    }
    std::vector<std::string> recipients = CommonRecipients();
    AddRecipients(own, &recipients);
    return FirstFound(recipients, [&](const std::string& form) {
      return sendwarden::ShapeFound(shape->start, shape->end, shape->literal, shape->ignoreCase,
                                    form);
    });
  }
  try {
    sendwarden::GateVerdict verdict;
    std::unique_ptr<sendwarden::Pattern> pattern = sendwarden::CompileKeptPattern(text, &verdict);
    if (!pattern) return std::nullopt;
    // A literal every match needs that no made-up recipient holds spares
    // the searches: most lines name their partner's domain.
    std::string literal = sendwarden::RequiredFoldedLiteral(text);
    bool folded = !literal.empty();
    if (!folded) literal = sendwarden::RequiredLiteral(text);
    std::vector<std::string> own;
    AddRecipients(Domains(OwnSuffixes(literal)), &own);
    if (!literal.empty()) {
      static const std::string common_plain = Joined(CommonRecipients(), false);
      static const std::string common_folded = Joined(CommonRecipients(), true);
      if ((folded ? common_folded : common_plain).find(literal) == std::string::npos &&
          Joined(own, folded).find(literal) == std::string::npos) {
        return std::nullopt;
      }
    }
    auto found = [&](const std::string& form) {
      try {
        return sendwarden::PatternFound(*pattern, form);
      } catch (const std::runtime_error&) {
        return false;  // no answer is no evidence
      }
    };
    if (std::optional<std::string> hit = FirstFound(CommonRecipients(), found)) return hit;
    return FirstFound(own, found);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace sendwarden_checker
