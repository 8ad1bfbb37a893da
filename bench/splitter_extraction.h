// The recipient extraction as it was before the address reader judged every
// field, for address_reader_bench to compare against in the same run.
#ifndef SENDWARDEN_BENCH_SPLITTER_EXTRACTION_H_
#define SENDWARDEN_BENCH_SPLITTER_EXTRACTION_H_

#include "message/recipients.h"

namespace sendwarden {

// False where the old extraction found a fault.
bool SplitterExtraction(const char* message, HeaderDecoder& decoder, Recipients* recipients);

}  // namespace sendwarden

#endif  // SENDWARDEN_BENCH_SPLITTER_EXTRACTION_H_
