#pragma once
// The little of HTTP/1.x the metrics endpoint needs: is what a client sent
// so far a whole request, and is it "GET /metrics"? Nothing else is served,
// so nothing else is parsed: no bodies, no header values.

#include <cstddef>
#include <string_view>

namespace qm {

enum class RequestVerdict {
  Incomplete,  // no end of the header yet: wait for more, within the limits
  Metrics,     // GET /metrics (a query string is ignored)
  NotFound,    // a well-formed request for anything else: 404
  BadRequest,  // not an HTTP/1.x request line: 400
  TooLarge,    // no end of the header within `limit` bytes: 431
};

// `received` is everything the connection sent so far.
RequestVerdict JudgeRequest(std::string_view received, size_t limit);

// The whole response for a verdict other than Incomplete; `body` is used
// for Metrics only.
std::string ResponseFor(RequestVerdict verdict, std::string_view body);

}  // namespace qm
