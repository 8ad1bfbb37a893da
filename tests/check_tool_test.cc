// sendwarden-check's commands in-process: generated archives scanned as an
// mbox, as a folder of files and as a tree of .bmf mail folders must decide
// each message alike, and as the test command's own reading of the same
// fields does; what cannot be read is reported, never skipped; a path is
// read and shown whatever characters it holds; JSON is the same whatever
// the language; and the message tables agree on each template's marks.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "config/pattern_gate.h"
#include "config/pattern_shape.h"
#include "message/recipients.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/config_lint.h"
#include "tools/sendwarden-check/decide.h"
#include "tools/sendwarden-check/messages.h"
#include "tools/sendwarden-check/options.h"
#include "tools/sendwarden-check/recipient_report.h"
#include "tools/sendwarden-check/suggestion.h"
#include "tools/sendwarden-check/scan.h"
#include "tools/sendwarden-check/unnamed_domain.h"
#include "tools/common/file_path.h"
#include "tools/common/tool_decoder.h"
#include "tests/random_picker.h"

namespace sendwarden_checker {
namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() {
    std::random_device seed;
    path_ = fs::temp_directory_path() / ("check_tool_test-" + std::to_string(seed()));
    fs::create_directories(path_);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    fs::path file = path_ / name;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ToolRun {
  int status;
  std::string out, err;
};

// A whole command line, run in this process; output captured from files.
ToolRun RunTool(const Scratch& scratch, const std::vector<std::string>& words) {
  std::string out_path = scratch.Path("stdout"), err_path = scratch.Path("stderr");
  std::FILE* out = std::fopen(out_path.c_str(), "wb");
  std::FILE* err = std::fopen(err_path.c_str(), "wb");
  int status = RunCommandLine(words, Language::kEnglish, out, err);
  std::fclose(out);
  std::fclose(err);
  return {status, ReadAll(out_path), ReadAll(err_path)};
}

const char kConfig[] = "ALL=@example\\.co\\.jp>?$\r\n";

// A generated message and what it must come to.
struct Generated {
  std::string text;
  std::string code;   // the stable code expected
  bool sent = false;  // with an empty code
};

Generated Generate(sendwarden::testing::RandomPicker& random) {
  static const char* const kAllowed[] = {"a@example.co.jp", "Name <b@example.co.jp>",
                                         "\"Last, First\" <c@example.co.jp>"};
  static const char* const kRefused[] = {"x@rival.example.org", "Rival <y@evil.test>",
                                         "z@example.co.jp.evil.test"};
  Generated message;
  switch (random.Below(8)) {
    case 0:
      // The plug-in is handed the text up to the NUL: a header that does not end.
      message.text = std::string("X-Junk: a\0b\r\n\r\n", 15);
      message.code = "cannot-check/header-not-ended";
      return message;
    case 1:
      message.text = "just some text\r\nand more\r\n\r\n";
      message.code = "not-a-message";
      return message;
    default:
      break;
  }
  std::string to;
  bool refused = false, malformed = false;
  for (unsigned i = 0, n = 1 + random.Below(4); i < n; ++i) {
    unsigned pick = random.Below(10);
    if (!to.empty()) to += ", ";
    if (pick < 6) {
      to += kAllowed[random.Below(3)];
    } else if (pick < 9) {
      to += kRefused[random.Below(3)];
      refused = true;
    } else {
      to += "a\\q@example.co.jp";
      malformed = true;
    }
  }
  message.text = "From: me@example.co.jp\r\nTo: " + to + "\r\nSubject: s\r\n\r\nbody\r\n";
  message.code = malformed ? "cannot-check/malformed-escape" : "";
  message.sent = !malformed && !refused;
  return message;
}

class Recorder : public ScanListener {
 public:
  void Item(const ScanItem& item) override { items.push_back(item); }
  void Progress(uint64_t, uint64_t done, uint64_t total) override {
    EXPECT_LE(done, total);
    EXPECT_GE(done, last_done);
    last_done = done;
    totals.push_back(total);
  }
  std::vector<ScanItem> items;
  std::vector<uint64_t> totals;
  uint64_t last_done = 0;
};

sendwarden::AllowConfig Config(const Scratch& scratch) {
  sendwarden::AllowConfig config;
  EXPECT_TRUE(sendwarden::LoadAllowConfig(scratch.Write("Sendwarden.conf", kConfig), config));
  return config;
}

TEST(Scan, MboxFolderAndTestCommandDecideEveryGeneratedMessageAlike) {
  Scratch scratch;
  sendwarden::AllowConfig config = Config(scratch);
  sendwarden::testing::RandomPicker random(24);
  std::vector<Generated> messages;
  std::string mbox;
  uint64_t folder_bytes = 0;
  for (int i = 0; i < 200; ++i) {
    messages.push_back(Generate(random));
    mbox += "From sender Tue Dec  1 09:00:00 2026\n" + messages.back().text + "\n";
    char name[32];
    std::snprintf(name, sizeof name, "folder/m%04d.eml", i);
    scratch.Write(name, messages.back().text);
    folder_bytes += messages.back().text.size();
  }
  std::string mbox_path = scratch.Write("archive.mbox", mbox);

  Recorder from_mbox, from_folder;
  ScanSummary mbox_summary = Scan({mbox_path}, config, from_mbox);
  ScanSummary folder_summary = Scan({scratch.Path("folder")}, config, from_folder);
  ASSERT_EQ(from_mbox.items.size(), messages.size());
  ASSERT_EQ(from_folder.items.size(), messages.size());
  EXPECT_EQ(from_folder.totals.front(), folder_bytes);
  EXPECT_EQ(from_mbox.totals.front(), mbox.size());

  uint64_t sent = 0, unread = 0;
  for (size_t i = 0; i < messages.size(); ++i) {
    const ScanItem& a = from_mbox.items[i];
    const ScanItem& b = from_folder.items[i];
    SCOPED_TRACE(messages[i].text);
    EXPECT_EQ(a.where.number, i + 1);
    EXPECT_EQ(CodeName(a.outcome), messages[i].code);
    EXPECT_EQ(CodeName(b.outcome), messages[i].code);
    EXPECT_EQ(a.Sent(), messages[i].sent);
    EXPECT_EQ(b.Sent(), messages[i].sent);
    EXPECT_EQ(a.outcome.verdict.rejectionLog, b.outcome.verdict.rejectionLog);
    sent += a.Sent();
    unread += a.Unread();
    // The test command reads the same fields from its options (no header
    // block, so no NUL in one).
    if (a.Unread() || messages[i].text.find('\0') != std::string::npos) continue;
    sendwarden::HeaderMap fields = {{"FROM", "me@example.co.jp"},
                                    {"TO", messages[i].text.substr(
                                               messages[i].text.find("To: ") + 4,
                                               messages[i].text.find("\r\nSubject") -
                                                   messages[i].text.find("To: ") - 4)}};
    sendwarden_tools::ToolDecoder decoder;
    Outcome tested = Decide(
        config, [&] { return sendwarden::ExtractRecipients(fields, {}, decoder); }, nullptr);
    EXPECT_EQ(CodeName(tested), CodeName(a.outcome));
    EXPECT_EQ(tested.verdict.allowed, a.outcome.verdict.allowed);
    EXPECT_EQ(tested.verdict.rejectionLog, a.outcome.verdict.rejectionLog);
  }
  for (const ScanSummary* summary : {&mbox_summary, &folder_summary}) {
    EXPECT_EQ(summary->sent, sent);
    EXPECT_EQ(summary->unreadable, unread);
    EXPECT_EQ(summary->read + summary->unreadable, messages.size());
    EXPECT_EQ(summary->unreadableItems.size(), unread);
  }
}

// The same generated messages in .bmf files of a mail-folder tree, each
// file's messages ended by lone dots and with bodies an mbox reader would
// cut (unquoted "From " lines, dot-stuffed lines, attachment references),
// beside index files that would be read as mail if they were read.
TEST(Scan, ABmfTreeDecidesEachMessageAsTheMboxDoes) {
  Scratch scratch;
  sendwarden::AllowConfig config = Config(scratch);
  sendwarden::testing::RandomPicker random(24);
  std::vector<Generated> messages;
  std::string mbox;
  // Each file's name, in the order a walk reads them, and its bytes.
  std::vector<std::pair<std::string, std::string>> files = {
      {"mail/Inbox.bmf", ""}, {"mail/sent/Folder.bmf", ""}, {"mail/sent/deeper/Old.BMF", ""}};
  struct Place {
    size_t file;
    uint64_t number, offset;
  };
  std::vector<Place> places;
  const std::string index = "From: me@example.co.jp\r\nTo: x@rival.example.org\r\n\r\n";
  scratch.Write("mail/Folder.idx", index);
  scratch.Write("mail/sent/#Folder.lst", index);
  scratch.Write("mail/sent/Folder.ini", "[Settings]\r\n");
  uint64_t bmf_bytes = 0;
  for (int i = 0; i < 200; ++i) {
    messages.push_back(Generate(random));
    mbox += "From sender Tue Dec  1 09:00:00 2026\n" + messages.back().text + "\n";
    size_t file = static_cast<size_t>(i) * files.size() / 200;
    std::string& bmf = files[file].second;
    uint64_t number = places.empty() || places.back().file != file ? 1 : places.back().number + 1;
    places.push_back({file, number, bmf.size()});
    bmf += messages.back().text;
    if (random.Below(2)) bmf += "From the body\r\n..\r\n...stuffed\r\n";
    if (random.Below(2)) bmf += "X-Becky-Include: C:\\Mail\\attach\\" + std::to_string(i) + "\r\n";
    bmf += ".\r\n";
  }
  for (const auto& file : files) {
    scratch.Write(file.first, file.second);
    bmf_bytes += file.second.size();
  }

  Recorder from_mbox, from_bmf;
  Scan({scratch.Write("archive.mbox", mbox)}, config, from_mbox);
  ScanSummary summary = Scan({scratch.Path("mail")}, config, from_bmf);
  ASSERT_EQ(from_bmf.items.size(), messages.size());
  ASSERT_EQ(from_mbox.items.size(), messages.size());
  EXPECT_EQ(from_bmf.totals.front(), bmf_bytes);
  EXPECT_EQ(summary.read + summary.unreadable, messages.size());
  for (size_t i = 0; i < messages.size(); ++i) {
    const ScanItem& a = from_mbox.items[i];
    const ScanItem& b = from_bmf.items[i];
    SCOPED_TRACE(messages[i].text);
    EXPECT_EQ(CodeName(b.outcome), messages[i].code);
    EXPECT_EQ(b.Sent(), messages[i].sent);
    EXPECT_EQ(a.outcome.verdict.rejectionLog, b.outcome.verdict.rejectionLog);
    EXPECT_EQ(a.shown.from, b.shown.from);
    EXPECT_TRUE(b.where.inArchive);
    EXPECT_EQ(fs::path(b.where.path), fs::path(scratch.Path(files[places[i].file].first)));
    EXPECT_EQ(b.where.number, places[i].number);
    EXPECT_EQ(b.where.offset, places[i].offset);
  }
}

// Japanese folder and file names, a byte 0x5C inside a character among
// them, are read and shown in code page 932, given on the command line or
// found in a folder.
TEST(Scan, JapaneseNamesAreReadAndShown) {
  Scratch scratch;
  sendwarden::AllowConfig config = Config(scratch);
  const std::string folder_utf8 = "\xe8\xa1\xa8\xe7\xa4\xba";  // 表示
  const std::string folder_cp932 = "\x95\x5c\x8e\xa6";
  const std::string file_utf8 = "\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88.eml";  // ソフト.eml
  const std::string file_cp932 = "\x83\x5c\x83\x74\x83\x67.eml";
  const std::string message = "From: me@example.co.jp\r\nTo: x@rival.example.org\r\n\r\n";
  fs::path folder = fs::path(scratch.Path("")) / fs::u8path(folder_utf8);
  fs::create_directories(folder / "ascii");
  std::ofstream(folder / fs::u8path(file_utf8), std::ios::binary) << message;
  std::ofstream(folder / "ascii" / fs::u8path(file_utf8), std::ios::binary) << message;
  // A command-line argument is code page 932 on Windows, the file system's
  // UTF-8 elsewhere.
#ifdef _WIN32
  const std::string folder_argument = folder_cp932, file_argument = file_cp932;
#else
  const std::string folder_argument = folder_utf8, file_argument = file_utf8;
#endif
  const std::string argument = scratch.Path("") + folder_argument;
  const std::string shown = sendwarden_tools::PathForPrinting(fs::path(scratch.Path(""))) +
                            folder_cp932;
  EXPECT_EQ(sendwarden_tools::PathForPrinting(sendwarden_tools::PathFromArgument(argument)),
            shown);
  Recorder recorder;
  ScanSummary summary = Scan({argument}, config, recorder);
  EXPECT_FALSE(summary.missingPath);
  EXPECT_EQ(summary.refused, 2u);
  ASSERT_EQ(recorder.items.size(), 2u);
  const char separator = static_cast<char>(fs::path::preferred_separator);
  EXPECT_EQ(recorder.items[0].where.path, shown + separator + "ascii" + separator + file_cp932);
  EXPECT_EQ(recorder.items[1].where.path, shown + separator + file_cp932);
  for (const ScanItem& item : recorder.items) EXPECT_EQ(CodeName(item.outcome), "");

  // The test command reads a message by such a name too.
  ToolRun run = RunTool(scratch, {"test", "--conf", scratch.Path("Sendwarden.conf"),
                                  argument + separator + file_argument});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
}

TEST(Scan, WhatCannotBeReadIsReportedAndTheExitStatusSaysSo) {
  Scratch scratch;
  scratch.Write("Sendwarden.conf", kConfig);
  std::string conf = scratch.Path("Sendwarden.conf");
  std::string refused = scratch.Write("folder/refused.eml",
                                      "From: me@example.co.jp\r\nTo: x@evil.test\r\n\r\n");
  std::string junk = scratch.Write("junk.bin", std::string("\0\0\0", 3));
  std::string missing = scratch.Path("missing");

  ToolRun run = RunTool(scratch, {"scan", "--conf", conf, refused});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  run = RunTool(scratch, {"scan", "--conf", conf, refused, missing});
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_NE(run.out.find(missing + ": no such file or folder"), std::string::npos) << run.out;
  EXPECT_EQ(run.err.find("sendwarden-check: " + missing + ": no such file or folder\n"), 0u)
      << run.err;
  // Nothing read: no summary, only why on stderr.
  run = RunTool(scratch, {"scan", "--conf", conf, junk});
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(junk + ": not a mail message"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("no message could be read"), std::string::npos) << run.err;
  run = RunTool(scratch, {"scan", "--conf", conf, scratch.Path("folder")});
  EXPECT_EQ(run.status, 1) << run.out << run.err;

#ifndef _WIN32
  // An entry that cannot even be looked at (a link that loops) is reported
  // with the system's reason; the walk goes on and counts no size for it.
  fs::create_symlink("loop-b", scratch.Path("folder/loop-a"));
  fs::create_symlink("loop-a", scratch.Path("folder/loop-b"));
  sendwarden::AllowConfig config = Config(scratch);
  Recorder recorder;
  ScanSummary summary = Scan({scratch.Path("folder")}, config, recorder);
  EXPECT_EQ(summary.refused, 1u);
  ASSERT_EQ(summary.unreadableItems.size(), 2u);
  for (const ScanItem& item : summary.unreadableItems) {
    EXPECT_EQ(CodeName(item.outcome), "cannot-open");
    EXPECT_FALSE(item.outcome.detail.empty());
  }
  EXPECT_EQ(recorder.totals.front(), fs::file_size(refused));
#endif
}

TEST(Scan, JsonAndCsvCarryTheSameCodesInEveryLanguage) {
  Scratch scratch;
  std::string conf = scratch.Write("Sendwarden.conf", kConfig);
  sendwarden::testing::RandomPicker random(7);
  std::string mbox;
  for (int i = 0; i < 40; ++i) mbox += "From s\n" + Generate(random).text + "\n";
  std::string archive = scratch.Write("a.mbox", mbox);
  for (const char* format : {"json", "csv"}) {
    std::vector<std::string> words = {"scan", "--format", format, "--conf", conf, archive};
    words.insert(words.begin(), {"--lang", "en"});
    ToolRun en = RunTool(scratch, words);
    words[1] = "ja";
    ToolRun ja = RunTool(scratch, words);
    EXPECT_EQ(en.status, 1);
    EXPECT_EQ(en.out, ja.out) << format;
    EXPECT_NE(en.out.find("cannot-check/malformed-escape"), std::string::npos) << format;
  }
}

TEST(Commands, EachParsesItsOwnOptionsAndRefusesOthers) {
  Scratch scratch;
  std::string conf = scratch.Write("Sendwarden.conf", kConfig);
  // The list of commands is made from the table; a mistake in a command
  // names it and points to that command's help.
  std::string usage = GlobalUsage(Language::kEnglish);
  for (const Command& command : Commands()) {
    const char* name = command.spec.name;
    EXPECT_NE(usage.find(std::string("\n  ") + name + " "), std::string::npos);
    ToolRun run = RunTool(scratch, {name, "--bogus", conf});
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_EQ(run.err, std::string("unknown option: --bogus\nsee: sendwarden-check ") + name +
                           " --help\n")
        << name;
    // Its own help, made from its option table: "CMD --help" and "help CMD" alike.
    ToolRun help = RunTool(scratch, {name, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, HelpText(command.spec, Language::kEnglish));
    for (const Option& option : command.spec.options) {
      EXPECT_NE(help.out.find(std::string("  ") + option.name), std::string::npos) << option.name;
    }
    EXPECT_EQ(RunTool(scratch, {"help", name}).out, help.out);
  }
  // "--opt=value" is "--opt value"; a flag takes none; after "--" every word
  // is an operand, one that looks like an option too.
  std::string message = scratch.Write("m.eml", "From: a@example.co.jp\r\nTo: x@evil.test\r\n\r\n");
  ToolRun spaced = RunTool(scratch, {"scan", "--format", "csv", "--conf", conf, message});
  EXPECT_EQ(RunTool(scratch, {"scan", "--format=csv", "--conf=" + conf, message}).out, spaced.out);
  EXPECT_EQ(RunTool(scratch, {"scan", "--conf", conf, "--format=csv", "--", message}).out, spaced.out);
  EXPECT_EQ(RunTool(scratch, {"suggest", "--by-sender=yes", message}).status, 2);
  ToolRun dashed = RunTool(scratch, {"lint", "--", "--bogus"});
  EXPECT_EQ(dashed.status, 2);
  EXPECT_NE(dashed.err.find("cannot read the configuration "), std::string::npos) << dashed.err;
  EXPECT_NE(dashed.err.find("--bogus: no such file"), std::string::npos) << dashed.err;
  // An option of one command is no option of another.
  EXPECT_EQ(RunTool(scratch, {"lint", "--format", "csv", conf}).status, 2);
  EXPECT_EQ(RunTool(scratch, {"scan", "--from", "a", conf}).status, 2);
  EXPECT_EQ(RunTool(scratch, {"test", "--format", "csv", "--from", "a", "--to", "b"}).status, 2);
  ToolRun unknown = RunTool(scratch, {"frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "unknown command: frobnicate\n" + usage);
  EXPECT_EQ(RunTool(scratch, {"--lang=ja", "frobnicate"}).status, 2);
  // Every command that reads mail: no message read is no answer.
  fs::create_directories(scratch.Path("empty"));
  EXPECT_EQ(RunTool(scratch, {"scan", "--conf", conf, scratch.Path("empty")}).status, 2);
  EXPECT_EQ(RunTool(scratch, {"suggest", scratch.Path("empty")}).status, 2);
  EXPECT_EQ(RunTool(scratch, {"diff", conf, conf, scratch.Path("empty")}).status, 2);

  ToolRun run =
      RunTool(scratch, {"test", "--conf", conf, "--from", "me", "--to", "a@example.co.jp"});
  EXPECT_EQ(run.status, 0) << run.out;
  run = RunTool(scratch, {"test", "--conf", conf, "--from", "me", "--to", "x@evil.test"});
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_EQ(RunTool(scratch, {"lint", conf}).status, 0);
}

TEST(Lint, FindingsAreSaidInEitherLanguage) {
  Scratch scratch;
  std::string conf = scratch.Write(
      "broken.conf", "TO @example\\.co\\.jp$\r\n [(^|<)a@b\\.jp$]\r\nTO=x$\r\nFOO=y$\r\n");
  LintResult result = LintConfig(conf);
  ASSERT_TRUE(result.readable);
  ASSERT_FALSE(result.findings.empty());
  for (const Finding& finding : result.findings) {
    std::string en = Say(Language::kEnglish, finding.message);
    std::string ja = Say(Language::kJapanese, finding.message);
    EXPECT_FALSE(en.empty());
    EXPECT_NE(en, ja);
    EXPECT_EQ(en.find("%s"), std::string::npos) << en;
    EXPECT_EQ(ja.find("%s"), std::string::npos) << en;
  }
  EXPECT_FALSE(LintConfig(scratch.Path("absent.conf")).readable);
}

// Lint calls a recipient pattern wide when it allows an address at a domain
// no one named. Whatever it calls narrow, the engine finds in no recipient
// at a domain of labels of its own drawing, under suffixes the patterns use
// and others, in the forms the mail client writes.
TEST(Lint, NoPatternCalledNarrowAllowsAMadeUpDomain) {
  static const char* const kStarts[] = {"", "^", "(^|<)", "^(.*<)?", "(?i)", "(?i)(^|<)", "<"};
  static const char* const kLocals[] = {"", "\\w+", "[a-z.]+", "x", "sales", ".*", "[^@]*", "(x|y)"};
  static const char* const kAts[] = {"@", "@", "", "\\@"};
  static const char* const kDomains[] = {
      "partner\\.co\\.jp", "example\\.com", "\\w+\\.co\\.jp", "[a-z]+\\.jp", "co\\.jp",
      "\\.co\\.jp", "jp", ".*\\.ne\\.jp", "(partner|rival)\\.co\\.jp", "[^.]+\\.fr",
      "shop\\.example\\.fr", "\\w+(\\.\\w+)*", "[a-z0-9-]+\\.com\\.au", "partner\\.com\\.au",
      ".*", "", "PARTNER\\.CO\\.JP", "[a-z]\\.co\\.jp"};
  static const char* const kEnds[] = {"$", ">?$", "", ">$"};
  static const char* const kSuffixes[] = {"", ".jp", ".co.jp", ".ne.jp", ".com", ".fr",
                                          ".com.au", ".example.fr", ".travel", ".co.kr"};
  sendwarden::testing::RandomPicker random(33);
  auto label = [&] {
    static const char kBytes[] = "qvzkw0123456789-.";
    std::string out(1, "qvzkw"[random.Below(5)]);
    for (int i = 0, n = random.Below(8); i < n; ++i) out += kBytes[random.Below(17)];
    return out + "qvzkw"[random.Below(5)];
  };
  int narrow = 0, wide = 0;
  for (int round = 0; round < 1000; ++round) {
    std::string text = std::string(random.Pick(kStarts)) + random.Pick(kLocals) +
                       random.Pick(kAts) + random.Pick(kDomains) + random.Pick(kEnds);
    std::unique_ptr<sendwarden::Pattern> pattern;
    try {
      sendwarden::GateVerdict verdict;
      pattern = sendwarden::CompileKeptPattern(text, &verdict);
    } catch (const std::exception&) {
    }
    if (!pattern) continue;
    if (AllowedUnnamedRecipient(text)) {
      ++wide;
      continue;
    }
    ++narrow;
    for (int probe = 0; probe < 25; ++probe) {
      std::string address = label() + "@" + label() + random.Pick(kSuffixes);
      std::string upper = address;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      for (const std::string& form : {address, "Name <" + address + ">", upper,
                                      "\"\x8e\x52\x93\x63\" <" + upper + ">"}) {
        ASSERT_FALSE(sendwarden::PatternFound(*pattern, form)) << text << " allows " << form;
      }
    }
  }
  EXPECT_GT(narrow, 100);
  EXPECT_GT(wide, 100);
}

TEST(Messages, BothLanguagesHaveTheSameMarksInEveryTemplate) {
  auto marks = [](const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + 2)) {
      ++count;
    }
    return count;
  };
  for (int id = 0; id < static_cast<int>(Msg::kCount); ++id) {
    Msg msg = static_cast<Msg>(id);
    EXPECT_EQ(marks(Template(Language::kEnglish, msg)), marks(Template(Language::kJapanese, msg)))
        << Template(Language::kEnglish, msg);
  }
  // A value that itself holds a mark is not filled again.
  EXPECT_EQ(Say(Language::kEnglish, Msg::kFindingInFile, {"%s", "b", "c"}), "%s: b: c");
}

// The recipients a refusal lists as allowed by no rule are exactly those no
// pattern of a rule that applies is found in, by the engine on each
// pattern's text (no index, no walk); when every recipient is allowed by
// some rule, the list is those no pattern of the default rule is found in.
TEST(RecipientReport, NotAllowedIsWhatNoApplyingPatternFinds) {
  sendwarden::AllowConfig config;
  Scratch scratch;
  ASSERT_TRUE(sendwarden::LoadAllowConfig(
      scratch.Write("r.conf",
                    "ALL=@example\\.co\\.jp>?$\r\nBCC=^archive@example\\.co\\.jp$\r\n"
                    "[(^|<)sales@example\\.co\\.jp>?$]\r\nTO=@partner\\.example>?$\r\n"
                    "ALL=(?i)@client\\.example>?$\r\n"
                    "[@example\\.co\\.jp>?$]\r\nCC=(^|<)boss@rival\\.example>?$\r\n"
                    "[(^|<)ops@]\r\nALL=@partner\\.example>?$\r\n"),
      config));
  auto found = [](const sendwarden::PatternList& list, const std::string& text) {
    for (const sendwarden::PatternList::Entry& entry : list) {
      if (sendwarden::PatternFound(*sendwarden::CompilePattern(entry.text), text)) return true;
    }
    return false;
  };
  auto rule_allows = [&](const sendwarden::RecipientRule& rule, const Recipient& recipient) {
    sendwarden::RuleKey own = recipient.field == sendwarden::Field::kTo   ? sendwarden::RuleKey::kTo
                              : recipient.field == sendwarden::Field::kCc ? sendwarden::RuleKey::kCc
                                                                          : sendwarden::RuleKey::kBcc;
    return found(rule.List(sendwarden::RuleKey::kAll), recipient.entry) ||
           found(rule.List(own), recipient.entry);
  };
  static const char* const kSenders[] = {"sales@example.co.jp", "Ops <ops@example.co.jp>",
                                         "x@example.co.jp", "sales@example.co.jp.evil"};
  static const char* const kEntries[] = {
      "a@example.co.jp", "Name <p@partner.example>", "q@Client.Example", "boss@rival.example",
      "archive@example.co.jp", "x@rival.example", "y@partner.example.evil", "C <c@CLIENT.example>"};
  sendwarden::testing::RandomPicker random(11);
  int refused = 0, fallback = 0;
  for (int round = 0; round < 3000; ++round) {
    sendwarden::Recipients recipients;
    recipients.sender = kSenders[random.Below(4)];
    for (unsigned i = 0, n = 1 + random.Below(5); i < n; ++i) {
      recipients.Lines(sendwarden::kAddressFields[random.Below(3)]).push_back(kEntries[random.Below(8)]);
    }
    if (sendwarden::CheckRecipients(config, recipients).allowed) continue;
    ++refused;
    std::vector<Recipient> listed =
        UnallowedRecipients(sendwarden::DecideEachEntry(config, recipients));
    ASSERT_FALSE(listed.empty());
    std::vector<Recipient> by_no_rule, left_by_default;
    for (const Recipient& recipient : EntriesOf(recipients)) {
      bool allowed = rule_allows(*config.defaultRule, recipient);
      if (!allowed) left_by_default.push_back(recipient);
      for (const sendwarden::SenderSection& section : config.sections) {
        allowed = allowed || (sendwarden::PatternFound(*section.senderPattern, recipients.sender) &&
                              rule_allows(*section.rule, recipient));
      }
      if (!allowed) by_no_rule.push_back(recipient);
    }
    const std::vector<Recipient>& expected = by_no_rule.empty() ? left_by_default : by_no_rule;
    fallback += by_no_rule.empty();
    ASSERT_EQ(listed.size(), expected.size()) << recipients.sender;
    for (size_t i = 0; i < listed.size(); ++i) {
      EXPECT_EQ(listed[i].entry, expected[i].entry);
      EXPECT_EQ(listed[i].field, expected[i].field);
      EXPECT_EQ(listed[i].index, expected[i].index);
    }
  }
  EXPECT_GT(refused, 1000);
  EXPECT_GT(fallback, 10);
}

// Whatever bytes decoded senders and recipients hold, a suggested file is
// comment lines, empty lines, and rule lines and headers of the shapes it
// promises: a line break or stray byte from a message never becomes a rule.
TEST(Suggestion, EveryLineIsACommentOrAPromisedShape) {
  static const char* const kPieces[] = {"a", "B", "@", ".", "-", "<", ">", " ", "\r\n", "\n",
                                        "\r", "ALL=", ".*", "[", "]", "#", "\x82\xa0", "\xef",
                                        "(", "\\", "x.example", "Name ", "\"", ","};
  sendwarden::testing::RandomPicker random(21);
  auto text = [&] {
    std::string out;
    for (unsigned i = 0, n = random.Below(9); i < n; ++i) out += kPieces[random.Below(24)];
    return out;
  };
  SuggestionCounter counter;
  for (int round = 0; round < 4000; ++round) {
    sendwarden::Recipients recipients;
    recipients.sender = round % 3 ? text() + "<s" + text() + "@own" + text() + ">" : text();
    for (unsigned i = 0, n = random.Below(4); i < n; ++i) {
      sendwarden::AddressLines& lines = recipients.Lines(sendwarden::kAddressFields[random.Below(3)]);
      lines.push_back(text() + "<r@" + text() + ">");
      lines.push_back(text() + "@d" + text());
    }
    counter.Count(recipients);
  }
  Suggestion suggestion = counter.Suggest({1, true, false, {}});
  std::string file = WriteSuggestion(suggestion, Language::kEnglish);
  size_t rules = 0, start = 0;
  while (start < file.size()) {
    size_t end = file.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "a line without CR LF at byte " << start;
    std::string line = file.substr(start, end - start);
    start = end + 2;
    ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    if (line.empty() || line[0] == '#') continue;
    if (line == std::string("[") + kEverySender + "]") {
      // The naming section closes the file and allows nothing.
      EXPECT_EQ(file.substr(start), std::string("TO=") + kNoRecipient + "\r\nCC=" + kNoRecipient +
                                        "\r\nBCC=" + kNoRecipient + "\r\n");
      break;
    }
    std::string pattern = line[0] == '[' ? line.substr(1, line.size() - 2) : line.substr(4);
    ASSERT_TRUE(line.rfind("ALL=", 0) == 0 || (line[0] == '[' && line.back() == ']')) << line;
    std::optional<sendwarden::PatternShape> shape = sendwarden::RecognizeShape(pattern);
    ASSERT_TRUE(shape && shape->ignoreCase) << line;
    rules += line[0] != '[';
  }
  EXPECT_EQ(rules, suggestion.Active());
  EXPECT_GT(rules, 50u);
}

#ifndef _WIN32
// Scripts read the codes from the guide's table: every one must stand there,
// and no two may share a name.
TEST(Messages, TheGuideListsEveryStableCode) {
  std::string guide = ReadAll(std::string(SENDWARDEN_SOURCE_DIR) + "/docs/guide-ja.md");
  ASSERT_FALSE(guide.empty());
  std::vector<Outcome> outcomes;
  for (int code = 1; code <= static_cast<int>(Code::kReadError); ++code) {
    Outcome outcome;
    outcome.code = static_cast<Code>(code);
    if (outcome.code != Code::kCannotCheck) outcomes.push_back(outcome);
  }
  for (int fault = 1; fault <= static_cast<int>(sendwarden::ExtractionFault::kUnclearEncodedWord);
       ++fault) {
    Outcome outcome;
    outcome.code = Code::kCannotCheck;
    outcome.unchecked.fault = static_cast<sendwarden::ExtractionFault>(fault);
    outcomes.push_back(outcome);
  }
  std::set<std::string> names;
  for (const Outcome& outcome : outcomes) {
    std::string row = "| `" + CodeName(outcome) + "` |";
    EXPECT_NE(guide.find(row), std::string::npos) << row;
    EXPECT_TRUE(names.insert(CodeName(outcome)).second) << "two codes named " << row;
  }
}
#endif

}  // namespace
}  // namespace sendwarden_checker
