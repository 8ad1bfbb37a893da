#include "config/settled_read.h"

namespace sendwarden {

namespace {

uint64_t Ticks(const FileTime& time) { return (static_cast<uint64_t>(time.high) << 32) | time.low; }

bool SameStamp(const FileStamp& a, const FileStamp& b) {
  return SameFileTime(a.time, b.time) && a.size == b.size;
}

}  // namespace

bool WrittenWithin(const FileStamp& stamp, unsigned seconds) {
  constexpr uint64_t kOneSecond = 10000000;  // in 100 ns ticks
  uint64_t now = Ticks(CurrentFileTime());
  uint64_t written = Ticks(stamp.time);
  return written > now || now - written < kOneSecond * seconds;
}

bool ReadSettledFile(const std::string& path, std::string* bytes, FileStamp* stamp) {
  bytes->clear();
  std::string previous;
  FileStamp previous_stamp;
  bool have_previous = false;
  unsigned waited = 0;
  for (;;) {
    FileStamp before, after;
    std::string current;
    if (!ReadFileStamp(path, &before) || !ReadFileBytes(path, &current) ||
        !ReadFileStamp(path, &after)) {
      return false;
    }
    bool still = SameStamp(before, after) && current.size() == after.size;
    if (still) {
      // Written less than a second ago: a save may still be under way.
      if (!WrittenWithin(after, 1) ||
          (have_previous && SameStamp(previous_stamp, after) && previous == current)) {
        bytes->swap(current);
        *stamp = after;
        return true;
      }
      previous.swap(current);
      previous_stamp = after;
    }
    have_previous = still;
    if (waited + kSettleMilliseconds > kMaxSettleMilliseconds) return false;
    SleepMilliseconds(kSettleMilliseconds);
    waited += kSettleMilliseconds;
  }
}

}  // namespace sendwarden
