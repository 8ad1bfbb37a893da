#include "tools/sendwarden-check/public_mail_domains.h"

#include <string_view>

namespace sendwarden_checker {

namespace {

// The common Japanese and international ones.
constexpr std::string_view kFreeMail[] = {
    "gmail.com",      "googlemail.com", "yahoo.co.jp",   "ymail.ne.jp",   "yahoo.com",
    "ymail.com",      "rocketmail.com", "hotmail.com",   "hotmail.co.jp", "hotmail.co.uk",
    "outlook.com",    "outlook.jp",     "live.com",      "live.jp",       "msn.com",
    "icloud.com",     "me.com",         "mac.com",       "aol.com",       "aol.jp",
    "gmx.com",        "gmx.de",         "gmx.net",       "mail.com",      "proton.me",
    "protonmail.com", "pm.me",          "tutanota.com",  "zoho.com",      "yandex.com",
    "yandex.ru",      "mail.ru",        "qq.com",        "163.com",       "126.com",
    "sina.com",       "naver.com",      "hanmail.net",   "daum.net",      "excite.co.jp",
    "infoseek.jp",    "goo.jp",         "livedoor.com",  "nifty.com",     "so-net.ne.jp",
    "biglobe.ne.jp",  "ocn.ne.jp",      "plala.or.jp",   "rakuten.jp",    "fastmail.com",
};
constexpr std::string_view kMobileCarrier[] = {
    "docomo.ne.jp",   "mopera.net",    "ezweb.ne.jp",  "au.com",        "biz.ezweb.ne.jp",
    "softbank.ne.jp", "i.softbank.jp", "disney.ne.jp", "ymobile.ne.jp", "y-mobile.ne.jp",
    "emnet.ne.jp",    "willcom.com",   "pdx.ne.jp",    "uqmobile.jp",   "rakumail.jp",
    "vodafone.ne.jp",
};

bool InList(std::string_view domain, const std::string_view* begin, const std::string_view* end) {
  for (const std::string_view* entry = begin; entry != end; ++entry) {
    if (domain == *entry) return true;
    if (domain.size() > entry->size() && domain[domain.size() - entry->size() - 1] == '.' &&
        domain.substr(domain.size() - entry->size()) == *entry) {
      return true;
    }
  }
  return false;
}

}  // namespace

PublicMail PublicMailOf(const std::string& domain) {
  if (InList(domain, std::begin(kMobileCarrier), std::end(kMobileCarrier))) {
    return PublicMail::kMobileCarrier;
  }
  if (InList(domain, std::begin(kFreeMail), std::end(kFreeMail))) return PublicMail::kFreeMail;
  return PublicMail::kNone;
}

}  // namespace sendwarden_checker
