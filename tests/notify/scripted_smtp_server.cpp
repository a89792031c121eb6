#include "tests/notify/scripted_smtp_server.h"

#include <chrono>

namespace qm::test {
namespace {

constexpr int kSliceMs = 50;         // how often the thread looks at stop_
constexpr size_t kMaxLine = 1 << 20;  // a runaway client ends the session

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

std::string ScriptedSmtpServer::Standard(const std::string& command) {
  if (StartsWith(command, "HELO") || StartsWith(command, "EHLO")) return "250 mx.test\r\n";
  if (StartsWith(command, "AUTH LOGIN")) return "334 VXNlcm5hbWU6\r\n";
  if (StartsWith(command, "MAIL FROM") || StartsWith(command, "RCPT TO")) return "250 ok\r\n";
  if (command == "DATA") return "354 go ahead\r\n";
  if (command == "QUIT") return "221 bye\r\n";
  return "500 unknown\r\n";
}

ScriptedSmtpServer::ScriptedSmtpServer(Script script) : script_(std::move(script)) {
  if (!script_.respond) script_.respond = Standard;
  if (listener_.Listen(0)) thread_ = std::thread(&ScriptedSmtpServer::Run, this);
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::vector<std::string> ScriptedSmtpServer::commands() {
  std::lock_guard<std::mutex> lock(mutex_);
  return commands_;
}

std::string ScriptedSmtpServer::data() {
  std::lock_guard<std::mutex> lock(mutex_);
  return data_;
}

void ScriptedSmtpServer::Run() {
  while (!stop_) {
    TcpSocket peer;
    if (!listener_.Accept(peer, kSliceMs)) continue;
    ++connections_;
    Serve(peer);
  }
}

bool ScriptedSmtpServer::ReadLine(TcpSocket& peer, std::string& line) {
  line.clear();
  while (!stop_ && line.size() < kMaxLine) {
    char c;
    int n = peer.Receive(&c, 1, kSliceMs);
    if (n == -2) continue;
    if (n != 1) return false;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    line += c;
  }
  return false;
}

void ScriptedSmtpServer::Serve(TcpSocket& peer) {
  if (script_.greeting.empty()) {
    std::string ignored;
    while (ReadLine(peer, ignored)) {
    }
    return;
  }
  if (!peer.SendAll(script_.greeting.data(), script_.greeting.size(), 5000)) return;
  std::string line;
  while (ReadLine(peer, line)) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      commands_.push_back(line);
    }
    std::string reply = script_.respond(line);
    if (reply.empty()) return;
    if (line == "DATA" && StartsWith(reply, "354")) {
      if (!peer.SendAll(reply.data(), reply.size(), 5000)) return;
      std::string text;
      while (ReadLine(peer, line) && line != ".") text += line + "\r\n";
      if (line != ".") return;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        data_ = text;
      }
      reply = script_.endOfData;
    }
    if (!peer.SendAll(reply.data(), reply.size(), 5000)) return;
  }
}

}  // namespace qm::test
