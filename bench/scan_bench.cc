// sendwarden-check scan on a generated archive: 100,000 messages of about
// 10 KB (about 1 GB), as one mbox, as the mail client's .bmf folder file and
// as a folder of files, against a
// configuration of 1,000 patterns with sections; then suggest, and diff of
// that configuration against the suggested one, on the same mbox. Runs the
// tool as a child process and prints its time and peak memory for each.
//
//   scan_bench TOOL [--messages N] [--keep FOLDER]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Config() {
  std::string text;
  for (int i = 0; i < 900; ++i) {
    text += "ALL=^(.*<)?user" + std::to_string(i) + "@partner" + std::to_string(i % 50) +
            "\\.example\\.com>?$\r\n";
  }
  text += "ALL=@example\\.co\\.jp>?$\r\n";
  for (int s = 0; s < 10; ++s) {
    text += "[(^|<)sales" + std::to_string(s) + "@example\\.co\\.jp>?$]\r\n";
    for (int i = 0; i < 9; ++i) {
      text += "TO=@client" + std::to_string(s * 10 + i) + "\\.example\\.org>?$\r\n";
    }
  }
  return text;
}

std::string Message(int serial, std::mt19937& random) {
  std::string to;
  int recipients = 1 + static_cast<int>(random() % 6);
  for (int r = 0; r < recipients; ++r) {
    int kind = static_cast<int>(random() % 10);
    if (!to.empty()) to += ", ";
    if (kind < 6) {
      int i = static_cast<int>(random() % 900);
      to += "=?ISO-2022-JP?B?GyRCOjRGIxsoQg==?= <user" + std::to_string(i) + "@partner" +
            std::to_string(i % 50) + ".example.com>";
    } else if (kind < 9) {
      to += "colleague" + std::to_string(serial) + "@example.co.jp";
    } else {
      to += "someone@client" + std::to_string(random() % 120) + ".example.org";
    }
  }
  std::string text = "From: sales" + std::to_string(serial % 12) + "@example.co.jp\r\nTo: " + to +
                     "\r\nDate: Tue, 1 Dec 2026 09:00:00 +0900\r\nSubject: "
                     "=?UTF-8?B?6KaL56mN44KC44KK?= " + std::to_string(serial) +
                     "\r\nMessage-ID: <" + std::to_string(serial) + "@example.co.jp>\r\n\r\n";
  while (text.size() < 10000) {
    text += "This is line " + std::to_string(text.size()) +
            " of a body long enough to be read and skipped.\r\n";
  }
  return text;
}

void Run(const char* label, const std::string& command) {
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  wait4(child, &status, 0, &usage);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-34s %7.2f s  peak %6.1f MB  (exit %d)\n", label, seconds,
              usage.ru_maxrss / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scan_bench TOOL [--messages N] [--keep FOLDER]\n");
    return 2;
  }
  std::string tool = argv[1];
  int messages = 100000;
  fs::path folder = fs::temp_directory_path() / "sendwarden-scan-bench";
  bool keep = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--messages") == 0 && i + 1 < argc) messages = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
      folder = argv[++i];
      keep = true;
    }
  }
  fs::create_directories(folder / "files");
  {
    std::ofstream conf(folder / "scan.conf", std::ios::binary);
    conf << Config();
    std::ofstream mbox(folder / "archive.mbox", std::ios::binary);
    fs::create_directories(folder / "bmf");
    std::ofstream bmf(folder / "bmf" / "Folder.bmf", std::ios::binary);
    std::mt19937 random(1);
    for (int i = 0; i < messages; ++i) {
      std::string text = Message(i, random);
      mbox << "From sales@example.co.jp Tue Dec  1 09:00:00 2026\r\n" << text << "\r\n";
      bmf << text << ".\r\n";  // no body line starts with a dot
      std::ofstream file(folder / "files" / ("m" + std::to_string(i) + ".eml"), std::ios::binary);
      file << text;
    }
  }
  std::printf("%d messages, mbox of %.0f MB\n", messages,
              static_cast<double>(fs::file_size(folder / "archive.mbox")) / (1 << 20));
  std::string base = tool + " scan --lang en --conf " + (folder / "scan.conf").string() + " ";
  Run("mbox, text report", base + (folder / "archive.mbox").string() + " > /dev/null");
  Run("mbox, CSV", base + "--format csv " + (folder / "archive.mbox").string() + " > /dev/null");
  Run(".bmf mail folder, text report", base + (folder / "bmf").string() + " > /dev/null");
  Run("folder of files, text report", base + (folder / "files").string() + " > /dev/null");
  std::string mbox = (folder / "archive.mbox").string();
  std::string suggested = (folder / "suggested.conf").string();
  Run("mbox, suggest", tool + " suggest --lang en " + mbox + " > " + suggested);
  Run("mbox, suggest --by-sender", tool + " suggest --by-sender --lang en " + mbox + " > /dev/null");
  Run("mbox, diff against the suggestion", tool + " diff --lang en " +
      (folder / "scan.conf").string() + " " + suggested + " " + mbox + " > /dev/null");

  // Bad input: a 200 MB message, a header block of 20 MB with no end, random
  // bytes. Each is named with its reason and the scan goes on.
  fs::path bad = folder / "bad";
  fs::create_directories(bad);
  {
    std::ofstream big(bad / "200mb.eml", std::ios::binary);
    big << "From: a@example.co.jp\r\nTo: b@example.co.jp\r\n\r\n";
    std::string line(998, 'x');
    for (size_t size = 0; size < (200u << 20); size += 1000) big << line << "\r\n";
    std::ofstream endless(bad / "endless-header.eml", std::ios::binary);
    for (size_t size = 0; size < (20u << 20); size += 40) endless << "X-Filler: 0123456789012345678901\r\n";
    std::ofstream junk(bad / "junk.bin", std::ios::binary);
    std::mt19937 random(5);
    for (int i = 0; i < (10 << 20); ++i) junk << static_cast<char>(random());
  }
  Run("200 MB message, 20 MB header, junk", base + bad.string() + " > /dev/null");
  if (!keep) fs::remove_all(folder);
  return 0;
}
