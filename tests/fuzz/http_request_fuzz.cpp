// The metrics endpoint's reading of a request: whatever a client sends, the
// verdict on a prefix of it is either "wait for more" or the verdict on the
// whole (the server answers at the first verdict, so it never answers
// differently for the same bytes arriving in other pieces); GET /metrics is
// only ever granted to a request that says so; and every answer's
// Content-Length is its body's.

#include <cstdint>
#include <string>
#include <string_view>

#include "service/http_request.h"
#include "tests/fuzz/fuzz_support.h"

using qm::fuzz::Check;
using qm::RequestVerdict;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return -1;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr size_t kLimit = 512;
  const RequestVerdict whole = qm::JudgeRequest(input, kLimit);
  for (size_t n = 0; n < size; ++n) {
    const RequestVerdict part = qm::JudgeRequest(input.substr(0, n), kLimit);
    if (part != RequestVerdict::Incomplete) {
      Check(part == whole);
      break;
    }
  }
  if (whole == RequestVerdict::Metrics) Check(input.substr(0, 13) == "GET /metrics " || input.substr(0, 13) == "GET /metrics?");
  if (whole != RequestVerdict::Incomplete) {
    const std::string response = qm::ResponseFor(whole, "body\n");
    const size_t end = response.find("\r\n\r\n");
    const size_t length = response.find("Content-Length: ");
    Check(end != std::string::npos && length != std::string::npos && length < end);
    Check(std::stoul(response.substr(length + 16)) == response.size() - end - 4);
  }
  return 0;
}
