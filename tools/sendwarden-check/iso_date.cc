#include "tools/sendwarden-check/iso_date.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "base/ascii.h"

namespace sendwarden_checker {

namespace {

constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};

struct ZoneName {
  std::string_view name;
  int minutes;
};
// The zone names the mail standard knows ("JST" is not one: Japanese mail
// writes "+0900 (JST)").
constexpr ZoneName kZones[] = {{"ut", 0},        {"gmt", 0},       {"z", 0},        {"est", -5 * 60},
                               {"edt", -4 * 60}, {"cst", -6 * 60}, {"cdt", -5 * 60}, {"mst", -7 * 60},
                               {"mdt", -6 * 60}, {"pst", -8 * 60}, {"pdt", -7 * 60}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// The words of `date`, comments left out, in lower case: runs of letters,
// runs of digits (a sign before them kept), and ":" and "," each alone.
// None when another character stands outside a comment.
std::vector<std::string> Words(const std::string& date) {
  std::vector<std::string> words;
  int depth = 0;
  for (size_t i = 0, end; i < date.size(); i = end) {
    char c = date[i];
    end = i + 1;
    if (c == '(' || (c == ')' && depth > 0)) {
      depth += c == '(' ? 1 : -1;
      continue;
    }
    if (depth > 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (IsLetter(c)) {
      while (end < date.size() && IsLetter(date[end])) ++end;
    } else if (IsDigit(c) || c == '+' || c == '-') {
      while (end < date.size() && IsDigit(date[end])) ++end;
    } else if (c != ':' && c != ',') {
      return {};
    }
    std::string word = date.substr(i, end - i);
    sendwarden::ToLowerAscii(word);
    words.push_back(word);
  }
  return words;
}

bool Digits(const std::string& word, size_t low, size_t high, int* value) {
  if (word.size() < low || word.size() > high) return false;
  int result = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  *value = result;
  return true;
}

int DaysIn(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::string IsoDate(const std::string& date) {
  std::vector<std::string> w = Words(date);
  size_t at = 0;
  // A day of the week, with or without its comma.
  if (at < w.size() && IsLetter(w[at][0])) {
    ++at;
    if (at < w.size() && w[at] == ",") ++at;
  }
  int day, month = 0, year, hour, minute, second = 0;
  if (at + 5 > w.size() || !Digits(w[at], 1, 2, &day)) return "";
  for (size_t m = 0; m < 12; ++m) {
    if (w[at + 1] == kMonths[m]) month = static_cast<int>(m) + 1;
  }
  if (month == 0 || !Digits(w[at + 2], 2, 4, &year) || w[at + 2].size() == 3) return "";
  // Two digits: 50 and later are 19xx, as the obsolete syntax reads them.
  if (w[at + 2].size() == 2) year += year >= 50 ? 1900 : 2000;
  at += 3;
  if (at + 3 > w.size() || !Digits(w[at], 1, 2, &hour) || w[at + 1] != ":" ||
      !Digits(w[at + 2], 2, 2, &minute)) {
    return "";
  }
  at += 3;
  if (at + 1 < w.size() && w[at] == ":") {
    if (!Digits(w[at + 1], 2, 2, &second)) return "";
    at += 2;
  }
  if (at >= w.size()) return "";
  int offset = 0;
  const std::string& zone = w[at];
  int hhmm;
  if ((zone[0] == '+' || zone[0] == '-') && Digits(zone.substr(1), 4, 4, &hhmm) &&
      hhmm / 100 < 24 && hhmm % 100 < 60) {
    offset = (hhmm / 100 * 60 + hhmm % 100) * (zone[0] == '-' ? -1 : 1);
  } else {
    bool known = false;
    for (const ZoneName& name : kZones) {
      if (zone == name.name) {
        offset = name.minutes;
        known = true;
      }
    }
    if (!known) return "";
  }
  if (at + 1 != w.size() || day < 1 || day > DaysIn(month, year) || hour > 23 || minute > 59 ||
      second > 60) {
    return "";
  }
  char text[32];
  int magnitude = offset < 0 ? -offset : offset;
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", year, month, day,
                hour, minute, second, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

}  // namespace sendwarden_checker
