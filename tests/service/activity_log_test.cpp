#include "service/activity_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/memory/settable_clock.h"
#include "service/command_line.h"

namespace qm {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);  // text mode: the Windows build's CR LF reads back as LF
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(CtimeText, HasTheFixedTwentyFourCharacterForm) {
  EXPECT_EQ(CtimeText(LocalTime{2026, 12, 3, 9, 23, 9, 14, 0}), "Wed Dec  9 23:09:14 2026");
  EXPECT_EQ(CtimeText(LocalTime{2027, 1, 0, 31, 0, 0, 5, 0}), "Sun Jan 31 00:00:05 2027");
}

TEST(ActivityLog, AppendsTimeStampedLinesAndCutsLongMessages) {
  const std::string path = "activity_test.log";
  std::remove(path.c_str());
  { std::ofstream(path) << "[earlier]: line\n"; }
  SettableClock clock;
  clock.now = LocalTime{2026, 12, 3, 9, 8, 7, 6, 0};
  ActivityLog log(clock);
  ASSERT_TRUE(log.Open(path));
  log.Printf("%s start up...", "Quellmark Service");
  log.Printf("%s stopped.\n", "Quellmark Service");
  log.Write(std::string(1500, 'x'));
  EXPECT_EQ(ReadText(path),
            "[earlier]: line\n"
            "[Wed Dec  9 08:07:06 2026]: Quellmark Service start up...\n"
            "[Wed Dec  9 08:07:06 2026]: Quellmark Service stopped.\n\n"
            "[Wed Dec  9 08:07:06 2026]: " + std::string(1024, 'x') + "\n");
  log.Close();
  log.Write("dropped");  // a closed log drops lines silently
}

TEST(ActivityLog, LinesFromManyThreadsStayWhole) {
  const std::string path = "activity_threads.log";
  std::remove(path.c_str());
  SettableClock clock;
  ActivityLog log(clock);
  ASSERT_TRUE(log.Open(path));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&log, t] {
      for (int i = 0; i < 50; ++i) log.Write(std::string(200, char('a' + t)));
    });
  for (auto& th : threads) th.join();
  std::istringstream lines(ReadText(path));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    std::string body = line.substr(line.find("]: ") + 3);
    EXPECT_EQ(body, std::string(200, body[0]));
  }
  EXPECT_EQ(count, 200);
}

TEST(ServiceCommandLine, KnowsTwoSwitchesInAnyCaseAndNothingElse) {
  struct Case {
    std::vector<const char*> args;
    ServiceCommand command;
  } cases[] = {
      {{"svc"}, ServiceCommand::Run},
      {{"svc", "/install"}, ServiceCommand::Install},
      {{"svc", "/INSTALL"}, ServiceCommand::Install},
      {{"svc", "/UnInstall"}, ServiceCommand::Uninstall},
      {{"svc", "install"}, ServiceCommand::Invalid},
      {{"svc", "-install"}, ServiceCommand::Invalid},
      {{"svc", "/installx"}, ServiceCommand::Invalid},
      {{"svc", "/"}, ServiceCommand::Invalid},
      {{"svc", "/install", "/uninstall"}, ServiceCommand::Invalid},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseServiceCommand(int(c.args.size()), c.args.data()), c.command) << c.args.back();
}

}  // namespace
}  // namespace qm
