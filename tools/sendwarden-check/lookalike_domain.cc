#include "tools/sendwarden-check/lookalike_domain.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sendwarden_checker {

namespace {

// Second-level labels under which a country domain registers names.
constexpr std::string_view kSecondLevels[] = {"co", "ne", "or", "ac", "go", "ad", "gr",
                                              "ed", "lg", "com", "net", "org", "gov", "edu"};

// A registered name this long may be mistyped in two letters.
constexpr size_t kLongName = 8;

// How much more a domain must be used for a rarer one like it to be its typo.
constexpr uint64_t kMoreUsedFactor = 3;

// The longest domain name there can be.
constexpr size_t kLongestDomain = 253;

// More names than this sharing one spelling are a series (branch001,
// branch002, ...), and pairing them all would take quadratic time.
constexpr size_t kLargestBucket = 64;

std::string WithoutDigits(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c < '0' || c > '9') out += c;
  }
  return out;
}

}  // namespace

size_t EditDistance(const std::string& a, const std::string& b, size_t limit) {
  size_t longer = std::max(a.size(), b.size()), shorter = std::min(a.size(), b.size());
  if (longer - shorter > limit) return limit + 1;
  // One row of the usual table at a time.
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    size_t best = row[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
      best = std::min(best, row[j]);
    }
    if (best > limit) return limit + 1;
  }
  return std::min(row[b.size()], limit + 1);
}

std::pair<std::string, std::string> NameAndSuffix(const std::string& domain) {
  std::vector<std::string_view> labels;
  std::string_view rest = domain;
  for (size_t dot; (dot = rest.find('.')) != std::string_view::npos; rest.remove_prefix(dot + 1)) {
    labels.push_back(rest.substr(0, dot));
  }
  labels.push_back(rest);
  size_t n = labels.size();
  size_t suffix_labels = 1;
  if (n >= 3 && labels[n - 1].size() == 2 &&
      std::find(std::begin(kSecondLevels), std::end(kSecondLevels), labels[n - 2]) !=
          std::end(kSecondLevels)) {
    suffix_labels = 2;
  }
  if (n <= suffix_labels) return {std::string(), domain};
  std::string name, suffix;
  for (size_t i = 0; i < n; ++i) {
    std::string& part = i < n - suffix_labels ? name : suffix;
    part += (part.empty() ? "" : ".") + std::string(labels[i]);
  }
  return {name, suffix};
}

bool LooksAlike(const std::string& a, const std::string& b) {
  if (a == b) return false;
  std::pair<std::string, std::string> x = NameAndSuffix(a), y = NameAndSuffix(b);
  if (!x.first.empty() && x.first == y.first && x.second != y.second) return true;
  // Numbered names (branch1, branch2) are a series, not a typo.
  if (WithoutDigits(a) == WithoutDigits(b)) return false;
  // Two letters apart is a typo only in a long name: nec and ntt are two
  // companies.
  size_t shorter = std::min(x.first.empty() ? a.size() : x.first.size(),
                            y.first.empty() ? b.size() : y.first.size());
  size_t limit = shorter >= kLongName ? 2 : 1;
  return EditDistance(a, b, limit) <= limit;
}

// Every spelling of `text` with up to two letters dropped: two texts within
// edit distance 2 of each other share one.
void AddDeletions(const std::string& text, std::set<std::string>* out) {
  out->insert(text);
  for (size_t i = 0; i < text.size(); ++i) {
    std::string once = text.substr(0, i) + text.substr(i + 1);
    out->insert(once);
    for (size_t j = i; j < once.size(); ++j) out->insert(once.substr(0, j) + once.substr(j + 1));
  }
}

std::map<std::string, std::string> MoreUsedLookAlikes(const std::map<std::string, uint64_t>& uses,
                                                      const std::set<std::string>& own) {
  std::vector<std::string> names;
  for (const auto& [name, count] : uses) names.push_back(name);
  for (const std::string& name : own) {
    if (!uses.count(name)) names.push_back(name);
  }
  auto count_of = [&](const std::string& name) {
    auto found = uses.find(name);
    return found == uses.end() ? uint64_t{0} : found->second;
  };
  // Which names share a spelling, and which share a name before the
  // suffix. A name longer than a domain can be has no typo to find, and its
  // spellings would grow with the cube of its length.
  // Only a name some other is rare enough beside can be looked like.
  uint64_t rarest = UINT64_MAX;
  for (const auto& [name, count] : uses) rarest = std::min(rarest, count);
  std::unordered_map<std::string, std::vector<size_t>> by_spelling, by_name;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].size() > kLongestDomain) continue;
    if (!own.count(names[i]) && count_of(names[i]) < kMoreUsedFactor * rarest) continue;
    std::set<std::string> spellings;
    AddDeletions(names[i], &spellings);
    for (const std::string& spelling : spellings) by_spelling[spelling].push_back(i);
    std::string name = NameAndSuffix(names[i]).first;
    if (!name.empty()) by_name[name].push_back(i);
  }
  // True when `a` is the better one for a domain to look like.
  auto better = [&](const std::string& a, const std::string& b) {
    bool own_a = own.count(a) > 0, own_b = own.count(b) > 0;
    if (own_a != own_b) return own_a;
    if (count_of(a) != count_of(b)) return count_of(a) > count_of(b);
    return a < b;
  };
  std::map<std::string, std::string> out;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& domain = names[i];
    if (own.count(domain) || !uses.count(domain) || domain.size() > kLongestDomain) continue;
    std::set<size_t> candidates;
    std::set<std::string> spellings;
    AddDeletions(domain, &spellings);
    const uint64_t enough = kMoreUsedFactor * count_of(domain);
    for (const std::string& spelling : spellings) {
      auto bucket = by_spelling.find(spelling);
      // A spelling shared by many names is a numbered series, no typo.
      if (bucket == by_spelling.end() || bucket->second.size() > kLargestBucket) continue;
      for (size_t j : bucket->second) {
        if (own.count(names[j]) || count_of(names[j]) >= enough) candidates.insert(j);
      }
    }
    std::string name = NameAndSuffix(domain).first;
    if (!name.empty()) {
      for (size_t j : by_name[name]) candidates.insert(j);
    }
    const std::string* best = nullptr;
    for (size_t j : candidates) {
      const std::string& other = names[j];
      if (j == i || !(own.count(other) || count_of(other) >= kMoreUsedFactor * count_of(domain))) {
        continue;
      }
      if (!LooksAlike(domain, other)) continue;
      if (best == nullptr || better(other, *best)) best = &other;
    }
    if (best != nullptr) out[domain] = *best;
  }
  return out;
}

}  // namespace sendwarden_checker
