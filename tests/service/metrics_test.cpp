#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "service/http_request.h"
#include "service/metrics_server.h"
#include "service/metrics_text.h"

namespace qm {
namespace {

MetricsSnapshot TwoAdapters() {
  MetricsSnapshot s;
  s.startTime = 1767225600;
  AdapterMetrics all;
  all.kind = 100;
  all.name = "All Connections";
  all.received = 18446744073709551615u;
  all.sent = 5;
  AdapterMetrics lan;
  lan.kind = 300;
  lan.id = "{00000002-0000-0000-0000-4E6574446576}";
  lan.name = "Office \"LAN\" \\ 2\nB\xFCro";  // quote, backslash, line feed, a Latin-1 byte
  lan.received = 1000;
  lan.sent = 2000;
  lan.todayReceived = 300;
  lan.todaySent = 400;
  lan.receiveRate = 10;
  lan.sendRate = 20;
  s.adapters = {all, lan};
  return s;
}

TEST(MetricsText, EveryFamilyWithHelpTypeAndOneLinePerAdapter) {
  const std::string text = MetricsText(TwoAdapters());
  const std::string lan = "{kind=\"300\",id=\"{00000002-0000-0000-0000-4E6574446576}\",name=\"Office \\\"LAN\\\" \\\\ 2\\nB\xEF\xBF\xBDro\"}";
  for (const std::string& line : {
           std::string("# HELP quellmark_received_bytes_total Bytes received since the service started.\n"
                       "# TYPE quellmark_received_bytes_total counter\n"
                       "quellmark_received_bytes_total{kind=\"100\",id=\"\",name=\"All Connections\"} 18446744073709551615\n"
                       "quellmark_received_bytes_total") + lan + " 1000\n",
           "\nquellmark_sent_bytes_total" + lan + " 2000\n",
           std::string("# TYPE quellmark_today_received_bytes gauge\n"),
           "\nquellmark_today_received_bytes" + lan + " 300\n",
           "\nquellmark_today_sent_bytes" + lan + " 400\n",
           "\nquellmark_receive_rate_bytes_per_second" + lan + " 10\n",
           "\nquellmark_send_rate_bytes_per_second" + lan + " 20\n",
           std::string("# TYPE quellmark_service_start_time_seconds gauge\nquellmark_service_start_time_seconds 1767225600\n")})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n---\n" << text;
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("\r"), std::string::npos);
}

TEST(HttpRequest, OnlyGetMetricsIsServedAndBadInputIsToldApart) {
  const struct {
    std::string received;
    RequestVerdict verdict;
  } cases[] = {
      {"GET /metrics HTTP/1.1\r\nHost: 127.0.0.1:9464\r\nAccept: text/plain\r\n\r\n", RequestVerdict::Metrics},
      {"GET /metrics?name[]=x HTTP/1.0\r\n\r\n", RequestVerdict::Metrics},
      {"GET /metrics HTTP/1.1\n\n", RequestVerdict::Metrics},
      {"GET /metrics HTTP/1.1\r\nHost: x\r\n", RequestVerdict::Incomplete},  // headers not ended yet
      {"GET /metr", RequestVerdict::Incomplete},
      {"", RequestVerdict::Incomplete},
      {"GET / HTTP/1.1\r\n\r\n", RequestVerdict::NotFound},
      {"GET /metrics/ HTTP/1.1\r\n\r\n", RequestVerdict::NotFound},
      {"POST /metrics HTTP/1.1\r\n\r\n", RequestVerdict::NotFound},
      {"HEAD /metrics HTTP/1.1\r\n\r\n", RequestVerdict::NotFound},
      {"get /metrics HTTP/1.1\r\n\r\n", RequestVerdict::NotFound},
      // Bad request lines are answered at once, headers or not.
      {"GET /metrics\r\n", RequestVerdict::BadRequest},
      {"GET  /metrics HTTP/1.1\r\n", RequestVerdict::BadRequest},
      {"GET /metrics HTTP/2.0\r\n", RequestVerdict::BadRequest},
      {"GET metrics HTTP/1.1\r\n", RequestVerdict::BadRequest},
      {"G\x01T /metrics HTTP/1.1\r\n", RequestVerdict::BadRequest},
      {"GET /me\ttrics HTTP/1.1\r\n", RequestVerdict::BadRequest},
      {"\r\n\r\n", RequestVerdict::BadRequest},
      {std::string(100, 'A'), RequestVerdict::TooLarge},
      {"GET /" + std::string(100, 'x') + " HTTP/1.1\r\n\r\n", RequestVerdict::TooLarge},  // as its prefix was
      // A line end past the limit changes nothing: its first 100 bytes were
      // already answered as too large.
      {std::string(120, 'A') + "\r\n\r\n", RequestVerdict::TooLarge},
      {"GET /metrics HTTP/1.1\r\nX: " + std::string(100, 'a'), RequestVerdict::TooLarge},
      {"GET /metrics HTTP/1.1\r\nX: " + std::string(80, 'a') + "\r\n\r\n", RequestVerdict::TooLarge},
  };
  for (const auto& c : cases)
    EXPECT_EQ(int(JudgeRequest(c.received, 100)), int(c.verdict)) << c.received;
  const std::string ok = ResponseFor(RequestVerdict::Metrics, "a 1\n");
  EXPECT_EQ(ok, "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\nContent-Length: 4\r\n"
                "Connection: close\r\n\r\na 1\n");
  EXPECT_EQ(ResponseFor(RequestVerdict::NotFound, "secret").find("secret"), std::string::npos);
  EXPECT_EQ(ResponseFor(RequestVerdict::TooLarge, "").rfind("HTTP/1.1 431 ", 0), 0u);
  EXPECT_EQ(ResponseFor(RequestVerdict::BadRequest, "").rfind("HTTP/1.1 400 ", 0), 0u);
}

TEST(MetricsListen, AddressAndPort) {
  uint32_t address = 0;
  uint16_t port = 0;
  ASSERT_TRUE(ParseListenAddress("127.0.0.1:9464", address, port));
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&address);
  EXPECT_EQ(bytes[0], 127);
  EXPECT_EQ(bytes[3], 1);
  EXPECT_EQ(port, 9464);
  ASSERT_TRUE(ParseListenAddress("0.0.0.0:65535", address, port));
  EXPECT_EQ(address, 0u);
  for (const char* bad : {"", "127.0.0.1", "127.0.0.1:", ":9464", "127.0.0:9464", "127.0.0.1.1:9464",
                          "256.0.0.1:9464", "127.0.0.1:65536", "127.0.0.1:94a4", "localhost:9464", "[::1]:9464",
                          "127.0.0.1:9464 ", "127..0.1:9464"})
    EXPECT_FALSE(ParseListenAddress(bad, address, port)) << bad;
}

// --- the server, over real loopback connections ---------------------------

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// Everything the server sends until it closes (or `ms` pass).
std::string ReadAll(TcpSocket& s, int ms) {
  std::string out;
  const auto end = SteadyClock::now() + Ms(ms);
  char buffer[4096];
  while (SteadyClock::now() < end) {
    const int n = s.Receive(buffer, sizeof buffer, 50);
    if (n == 0 || n == -1) break;
    if (n > 0) out.append(buffer, size_t(n));
  }
  return out;
}

class MetricsServerTest : public ::testing::Test {
 protected:
  MetricsServerTest() {
    limits_.maxConnections = 2;
    limits_.requestMs = 400;
    limits_.sendMs = 400;
    limits_.maxRequest = 1024;
    limits_.pollMs = 20;
  }
  void Start() {
    server_ = std::make_unique<MetricsServer>(limits_);
    std::string why;
    ASSERT_TRUE(server_->Start("127.0.0.1:0", why)) << why;
    server_->Publish(TwoAdapters());
  }
  bool Connect(TcpSocket& s) {
    uint32_t loopback = 0;
    ResolveIPv4("127.0.0.1", loopback);
    return s.Connect(loopback, server_->port(), 2000);
  }
  std::string Ask(const std::string& request) {
    TcpSocket s;
    if (!Connect(s) || !s.SendAll(request.data(), request.size(), 1000)) return "no connection";
    return ReadAll(s, 3000);
  }
  MetricsLimits limits_;
  std::unique_ptr<MetricsServer> server_;
};

TEST_F(MetricsServerTest, AnswersEachRequestAndCloses) {
  Start();
  const std::string ok = Ask("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(ok.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << ok;
  EXPECT_NE(ok.find("\r\n\r\n" + MetricsText(TwoAdapters())), std::string::npos) << ok;
  EXPECT_EQ(Ask("GET /favicon.ico HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 404 ", 0), 0u);
  EXPECT_EQ(Ask("SSH-2.0-OpenSSH_9.2\r\n").rfind("HTTP/1.1 400 ", 0), 0u);
  EXPECT_EQ(Ask("GET /metrics HTTP/1.1\r\nCookie: " + std::string(2000, 'c') + "\r\n\r\n").rfind("HTTP/1.1 431 ", 0), 0u);
  // A new snapshot is what the next request gets.
  MetricsSnapshot later = TwoAdapters();
  later.adapters[1].sent = 987654321;
  server_->Publish(later);
  EXPECT_NE(Ask("GET /metrics HTTP/1.0\r\n\r\n").find(" 987654321\n"), std::string::npos);
}

// Slow or silent clients take at most the few slots, each for at most the
// request time; the next client is answered once a slot is free again.
TEST_F(MetricsServerTest, SlowClientsAreTimedOutAndNeverHoldItUp) {
  Start();
  TcpSocket silent, slow;
  ASSERT_TRUE(Connect(silent));
  ASSERT_TRUE(Connect(slow));
  ASSERT_TRUE(slow.SendAll("GET /met", 8, 1000));
  std::this_thread::sleep_for(Ms(100));
  const auto start = SteadyClock::now();
  // A byte now and then never extends the deadline.
  std::thread trickle([&] {
    for (int i = 0; i < 8; ++i) {
      std::this_thread::sleep_for(Ms(50));
      slow.SendAll("r", 1, 100);
    }
  });
  const std::string answer = Ask("GET /metrics HTTP/1.1\r\n\r\n");
  const auto waited = std::chrono::duration_cast<Ms>(SteadyClock::now() - start).count();
  trickle.join();
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK", 0), 0u) << answer;
  EXPECT_LT(waited, 1500) << "the third client waited for a slot";
  EXPECT_GE(waited, 150) << "both slots were taken, so it had to wait";
  // Both early clients were closed without an answer.
  EXPECT_EQ(ReadAll(silent, 1000), "");
  EXPECT_EQ(ReadAll(slow, 1000), "");
}

// A client that takes its answer slowly, a little now and then, gets the
// send time for the whole answer and no more: each piece arriving in time
// must not extend it, or such a client holds the endpoint for as long as it
// likes while everyone else waits.
TEST_F(MetricsServerTest, AClientThatReadsSlowlyIsDroppedAfterTheSendTime) {
  Start();
  MetricsSnapshot big = TwoAdapters();
  big.adapters.resize(16000, big.adapters[1]);  // about 12 MB of text
  server_->Publish(big);
  TcpSocket slow;
  ASSERT_TRUE(Connect(slow));
  ASSERT_TRUE(slow.SendAll("GET /metrics HTTP/1.1\r\n\r\n", 25, 1000));
  std::atomic<bool> done{false};
  size_t taken = 0;
  std::thread reader([&] {
    std::vector<char> buffer(256 * 1024);
    const auto end = SteadyClock::now() + Ms(20000);
    while (!done && SteadyClock::now() < end) {
      std::this_thread::sleep_for(Ms(150));
      const int n = slow.Receive(buffer.data(), buffer.size(), 0);
      if (n == 0 || n == -1) break;
      if (n > 0) taken += size_t(n);
    }
  });
  std::this_thread::sleep_for(Ms(300));
  server_->Publish(TwoAdapters());
  const auto start = SteadyClock::now();
  const std::string answer = Ask("GET /metrics HTTP/1.1\r\n\r\n");
  const auto waited = std::chrono::duration_cast<Ms>(SteadyClock::now() - start).count();
  done = true;
  reader.join();
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK", 0), 0u) << "no answer while a slow reader was served";
  EXPECT_LT(waited, 2000);
  EXPECT_LT(taken, MetricsText(big).size()) << "the slow reader got the whole answer";
}

TEST_F(MetricsServerTest, StopsPromptlyWithClientsAttachedAndABusyPortIsAReason) {
  Start();
  TcpSocket idle;
  ASSERT_TRUE(Connect(idle));
  MetricsServer second(limits_);
  std::string why;
  EXPECT_FALSE(second.Start("127.0.0.1:" + std::to_string(server_->port()), why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(second.Start("127.0.0.1", why));
  const auto start = SteadyClock::now();
  server_->Stop();
  EXPECT_LT(std::chrono::duration_cast<Ms>(SteadyClock::now() - start).count(), 500);
}

}  // namespace
}  // namespace qm
