#include "service/http_request.h"

#include <string>

namespace qm {
namespace {

bool IsTokenChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_'; }

// "METHOD SP TARGET SP HTTP/1.x", without its line end.
bool ParseRequestLine(std::string_view line, std::string_view& method, std::string_view& target) {
  const size_t a = line.find(' ');
  const size_t b = a == std::string_view::npos ? a : line.find(' ', a + 1);
  if (a == 0 || b == std::string_view::npos || b == a + 1) return false;
  method = line.substr(0, a);
  target = line.substr(a + 1, b - a - 1);
  const std::string_view version = line.substr(b + 1);
  for (char c : method)
    if (!IsTokenChar(c)) return false;
  for (char c : target)
    if (c <= ' ' || c == 0x7F) return false;
  return (version == "HTTP/1.1" || version == "HTTP/1.0") && target[0] == '/';
}

}  // namespace

RequestVerdict JudgeRequest(std::string_view received, size_t limit) {
  // A line end past the limit comes too late: the bytes up to the limit
  // were already too large, and a request gets one verdict however it arrives.
  const size_t lineEnd = received.find('\n');
  if (lineEnd == std::string_view::npos || lineEnd >= limit)
    return received.size() >= limit ? RequestVerdict::TooLarge : RequestVerdict::Incomplete;
  std::string_view line = received.substr(0, lineEnd);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view method, target;
  // A bad request line is answered at once, without waiting for headers.
  if (!ParseRequestLine(line, method, target)) return RequestVerdict::BadRequest;
  const size_t end = received.find("\r\n\r\n");
  const size_t bareEnd = received.find("\n\n");
  const size_t headerEnd = std::min(end == std::string_view::npos ? end : end + 4,
                                    bareEnd == std::string_view::npos ? bareEnd : bareEnd + 2);
  if (headerEnd == std::string_view::npos || headerEnd > limit)
    return received.size() >= limit ? RequestVerdict::TooLarge : RequestVerdict::Incomplete;
  const std::string_view path = target.substr(0, target.find('?'));
  return method == "GET" && path == "/metrics" ? RequestVerdict::Metrics : RequestVerdict::NotFound;
}

std::string ResponseFor(RequestVerdict verdict, std::string_view body) {
  const char* status = "404 Not Found";
  const char* type = "text/plain; charset=utf-8";
  std::string text;
  switch (verdict) {
    case RequestVerdict::Metrics:
      status = "200 OK";
      type = "text/plain; version=0.0.4; charset=utf-8";
      text = body;
      break;
    case RequestVerdict::BadRequest: status = "400 Bad Request"; text = "Bad request\n"; break;
    case RequestVerdict::TooLarge: status = "431 Request Header Fields Too Large"; text = "Request too large\n"; break;
    default: text = "Not found: only GET /metrics is served\n"; break;
  }
  return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text;
}

}  // namespace qm
