// sendwarden-check scan [--conf CONF] [--format text|csv|json] PATH...:
// replays sent mail against a configuration. Exits 0 when no message would
// be refused, 1 when one would, 2 on a usage error, a configuration that
// cannot be read, a PATH that does not exist, or when no message at all
// could be read (an empty folder too).
#include <string>
#include <vector>

#include "config/config_loader.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/scan.h"
#include "tools/sendwarden-check/scan_output.h"
#include "tools/common/file_path.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

struct ScanOptions {
  std::string conf = "Sendwarden.conf";
  ScanFormat format = ScanFormat::kText;
  std::vector<std::string> paths;
};

// 0, or the status of a usage mistake, said on the console.
int ParseOptions(const std::vector<std::string>& args, ScanOptions* options,
                 const Console& console) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "--conf" || arg == "--format") && i + 1 >= args.size()) {
      return console.Mistake(Msg::kMissingValue, {arg});
    }
    if (arg == "--conf") {
      options->conf = args[++i];
    } else if (arg == "--format") {
      if (!ParseFormat(args[++i], &options->format)) {
        return console.Mistake(Msg::kBadValue, {arg, args[i]});
      }
    } else if (IsOption(arg)) {
      return console.Mistake(Msg::kUnknownOption, {arg});
    } else {
      options->paths.push_back(arg);
    }
  }
  return options->paths.empty() ? console.Usage() : 0;
}

}  // namespace

int RunScan(const std::vector<std::string>& args, const Console& console) {
  ScanOptions options;
  if (int mistake = ParseOptions(args, &options, console)) return mistake;
  sendwarden::AllowConfig config;
  if (!sendwarden::LoadAllowConfig(options.conf, config)) {
    std::string conf = sendwarden_tools::PathForPrinting(
        sendwarden_tools::PathFromArgument(options.conf));
    console.Complain(Say(console.language, Msg::kCannotRead, {conf}) + "\n");
    return 2;
  }
  bool progress = console.err == stderr && sendwarden_tools::StderrIsTerminal();
  ScanPrinter printer(options.format, console.language, progress, console.out, console.err);
  ScanSummary summary = Scan(options.paths, config, printer);
  printer.Finish(summary);
  std::fflush(console.out);
  // As for suggest and diff: no message read is no answer, not a clean one.
  if (summary.missingPath || summary.read == 0) return 2;
  return summary.refused > 0 ? 1 : 0;
}

}  // namespace sendwarden_checker
