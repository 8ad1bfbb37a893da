// A mail's Date field in ISO 8601, for spreadsheets and scripts that sort
// by it: "Tue, 1 Dec 2026 09:00:00 +0900 (JST)" is
// "2026-12-01T09:00:00+09:00". The field itself is kept beside it.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_ISO_DATE_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_ISO_DATE_H_

#include <string>

namespace sendwarden_checker {

// `date` read as the mail standard writes a date, its obsolete forms too
// (a two-digit year, zone names such as GMT or EST, no seconds, comments);
// the local time it names with its offset. Empty when it is no such date:
// a day the month does not have, an hour past 23, a missing zone.
std::string IsoDate(const std::string& date);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_ISO_DATE_H_
