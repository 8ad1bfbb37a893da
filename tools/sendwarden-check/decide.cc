#include "tools/sendwarden-check/decide.h"

#include <exception>

namespace sendwarden_checker {

namespace {

Outcome GaveUp(const std::exception& error, const std::string& sender) {
  Outcome outcome;
  outcome.code = Code::kEngineGaveUp;
  outcome.detail = error.what();
  outcome.sender = sender;
  if (const auto* search = dynamic_cast<const sendwarden::SearchGaveUp*>(&error)) {
    outcome.gaveUpLine = search->line;
    outcome.gaveUpPattern = search->pattern;
    outcome.gaveUpText = search->text;
    outcome.detail = "line " + std::to_string(search->line) + ": " + search->pattern;
  }
  return outcome;
}

}  // namespace

Outcome Decide(const sendwarden::AllowConfig& config,
               const std::function<sendwarden::Extraction()>& extract,
               sendwarden::CheckTrace* trace, bool list_refused) {
  sendwarden::Extraction extraction;
  try {
    extraction = extract();
  } catch (const std::exception& error) {
    return GaveUp(error, "");
  }
  if (extraction.fault != sendwarden::ExtractionFault::kNone) return CannotCheck(extraction);
  Outcome outcome;
  outcome.sender = extraction.recipients.sender;
  try {
    outcome.verdict = sendwarden::CheckRecipients(config, extraction.recipients, trace);
    if (!outcome.verdict.allowed && list_refused) {
      outcome.refused =
          UnallowedRecipients(sendwarden::DecideEachEntry(config, extraction.recipients));
    }
  } catch (const std::exception& error) {
    // A trace cut short explains nothing.
    if (trace != nullptr) trace->rules.clear();
    return GaveUp(error, extraction.recipients.sender);
  }
  return outcome;
}

}  // namespace sendwarden_checker
