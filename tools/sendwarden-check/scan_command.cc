// sendwarden-check scan [--conf CONF] [--format text|csv|json] PATH...:
// replays sent mail against a configuration. Exits 0 when no message would
// be refused, 1 when one would, 2 on a usage error, a configuration that
// cannot be read, a PATH that does not exist, or when no message at all
// could be read (an empty folder too).
#include <string>
#include <vector>

#include "config/config_loader.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/config_unreadable.h"
#include "tools/sendwarden-check/options.h"
#include "tools/sendwarden-check/scan.h"
#include "tools/sendwarden-check/scan_output.h"
#include "tools/common/file_path.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

const CommandSpec kScanSpec = {"scan", Msg::kUsageScan, Msg::kSummaryScan,
                               {{"--conf", "CONF", Msg::kOptionConf},
                                {"--format", "FORMAT", Msg::kOptionFormat}}};

int RunScan(const Arguments& args, const Console& console) {
  std::string conf_path = args.Value("--conf", "Sendwarden.conf");
  ScanFormat format = ScanFormat::kText;
  if (args.Has("--format") && !ParseFormat(args.Value("--format", ""), &format)) {
    return console.Mistake(Msg::kBadValue, {"--format", args.Value("--format", "")});
  }
  if (args.operands().empty()) return console.Usage();
  sendwarden::AllowConfig config;
  if (!sendwarden::LoadAllowConfig(conf_path, config)) {
    console.Complain(ConfigUnreadableText(conf_path, console.language));
    return 2;
  }
  bool progress = console.err == stderr && sendwarden_tools::StderrIsTerminal();
  ScanPrinter printer(format, console.language, progress, console.out, console.err);
  ScanSummary summary = Scan(args.operands(), config, printer);
  printer.Finish(summary);
  std::fflush(console.out);
  // As for suggest and diff: no message read is no answer, not a clean one.
  if (summary.missingPath || summary.read == 0) return 2;
  return summary.refused > 0 ? 1 : 0;
}

}  // namespace sendwarden_checker
