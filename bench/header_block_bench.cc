// Parsing cost must not grow with the body: the same header block followed
// by an empty body and by a 50 MB body.
#include <cstdio>

#include "bench/bench_support.h"
#include "message/header_block.h"

namespace {

const char kHeaderBlock[] =
    "From: \"Sales\" <sales@example.co.jp>\r\n"
    "To: a@example.co.jp, \"B, Person\" <b@example.co.jp>,\r\n"
    " c@example.co.jp\r\n"
    "Cc: d@example.co.jp\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCJEgkXhsoQg==?=\r\n"
    "Date: Tue, 08 Dec 2026 10:00:00 +0900\r\n"
    "Message-ID: <1@example.co.jp>\r\n"
    "\r\n";

void ParseWithBody(benchmark::State& state) {
  std::string message = kHeaderBlock + std::string(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    sendwarden::HeaderMap headers;
    sendwarden::ParseHeaderBlock(message.c_str(), headers);
    benchmark::DoNotOptimize(headers);
  }
}
BENCHMARK(ParseWithBody)->Arg(0)->Arg(50 << 20);

}  // namespace

int main(int argc, char** argv) {
  auto times = sendwarden::RunBenchmarks(argc, argv);
  double empty = times["ParseWithBody/0"];
  double big = times["ParseWithBody/52428800"];
  if (empty > 0) std::printf("body-size ratio (50 MB body / empty body): %.3f\n", big / empty);
  return 0;
}
