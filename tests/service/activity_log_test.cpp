#include "service/activity_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/fakes/settable_clock.h"
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

TEST(ActivityLog, MovesAsideToOneOlderFileAtItsSizeLimit) {
  const std::string path = "activity_rotate.log", older = "activity_rotate.old.log";
  EXPECT_EQ(OlderLogPath(path), older);
  EXPECT_EQ(OlderLogPath("C:\\svc\\log.txt"), "C:\\svc\\log.txt.old");
  std::remove(path.c_str());
  { std::ofstream(older) << "[ancient]: line\n"; }
  SettableClock clock;
  clock.now = LocalTime{2026, 12, 3, 9, 8, 7, 6, 0};
  ActivityLog log(clock);
  log.SetSizeLimit(1000);
  ASSERT_TRUE(log.Open(path));
  // Lines of 100 characters with the time stamp: ten fill a file.
  const int kLines = 25;
  for (int i = 0; i < kLines; ++i) log.Printf("%02d %s", i, std::string(68, 'x').c_str());
  log.Close();

  // Whole lines in the line format, none lost between the two files that
  // are kept, the newest in the current file, the older one replaced.
  std::string both = ReadText(older) + ReadText(path);
  std::istringstream lines(both);
  std::string line;
  std::vector<int> numbers;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.size(), 99u) << line;
    EXPECT_EQ(line.substr(0, 28), "[Wed Dec  9 08:07:06 2026]: ");
    numbers.push_back(std::stoi(line.substr(line.find("]: ") + 3, 2)));
  }
  EXPECT_EQ(numbers, (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}));
  EXPECT_LT(ReadText(path).size(), 1000u);
  std::remove(path.c_str());
  std::remove(older.c_str());
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
      {{"svc", "/?"}, ServiceCommand::Help},
      {{"svc", "/?", "/install"}, ServiceCommand::Invalid},
      {{"svc", "/install", "/uninstall"}, ServiceCommand::Invalid},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseServiceCommand(int(c.args.size()), c.args.data()), c.command) << c.args.back();
}

}  // namespace
}  // namespace qm
