#include "installer/utils/logger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "installer/utils/string_util.h"
#include "tests/installer/utils/scratch_folder.h"
#ifdef _WIN32
#include "tests/installer/utils/debug_output_capture.h"
#endif

namespace {

// Points the process-wide log at a file of a scratch folder for one test, and back to
// no file afterwards.
class LoggerTest : public testing::Test {
 protected:
  void SetUp() override {
    log_path_ = scratch_.File(L"test_log.txt");
    Logger::Instance().SetThreshold(LV_APP);
    Logger::Instance().SetPath(log_path_);
  }
  void TearDown() override { Logger::Instance().SetPath(L""); }

  std::string LogBytes() const { return ReadFileBytes(log_path_); }

  // The file's lines without their CR LF; fails the test when a line ends otherwise.
  std::vector<std::string> LogLines() const {
    std::string bytes = LogBytes();
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
      const size_t end = bytes.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << "unterminated last line: " << bytes.substr(start);
        break;
      }
      lines.push_back(bytes.substr(start, end - start));
      EXPECT_EQ(lines.back().find('\n'), std::string::npos) << lines.back();
      EXPECT_EQ(lines.back().find('\r'), std::string::npos) << lines.back();
      start = end + 2;
    }
    return lines;
  }

  // The text after "LV_xxx] ".
  static std::string TextOf(const std::string& line) {
    const size_t bracket = line.find("] ");
    return bracket == std::string::npos ? std::string() : line.substr(bracket + 2);
  }

  ScratchFolder scratch_;
  std::wstring log_path_;
};

struct Argument {
  bool is_number;
  std::wstring text;
  long long number;
};
Argument Text(const std::wstring& text) { return {false, text, 0}; }
Argument Number(long long number) { return {true, L"", number}; }

std::wstring Compose(const std::wstring& message, const std::vector<Argument>& arguments) {
  LogRecord record("composer.cpp", 1);
  record.Start(LV_PRO, message);
  for (const Argument& argument : arguments) {
    if (argument.is_number) {
      record << argument.number;
    } else {
      record << argument.text;
    }
  }
  std::wstring line = record.Line();
  const size_t bracket = line.find(L"] ");
  return line.substr(bracket + 2, line.size() - bracket - 4);  // without "\r\n"
}

TEST(LogRecordTest, FillsNumberedPlaceholdersInOrder) {
  const struct {
    const wchar_t* message;
    std::vector<Argument> arguments;
    const wchar_t* text;
  } cases[] = {
      {L"start_run {0}, {1}", {Text(L"a.exe"), Text(L"--x")}, L"start_run a.exe, --x"},
      {L"start_run {0}, {1}", {Text(L"a.exe")}, L"start_run a.exe, {1}"},
      {L"{1} before {0}", {Text(L"first"), Text(L"second")}, L"{1} before first"},
      {L"no placeholders", {Text(L"a"), Text(L"b")}, L"no placeholders"},
      {L"{0}{0}", {Text(L"a"), Text(L"b")}, L"a{0}"},
      {L"{0} {1} {2}", {Number(1), Number(2)}, L"1 2 {2}"},
      {L"n={0}.", {Number(-42)}, L"n=-42."},
      {L"{0}", {Number(-9223372036854775807LL - 1)}, L"-9223372036854775808"},
      {L"empty [{0}]", {Text(L"")}, L"empty []"},
      {L"{0}{1}{2}{3}{4}{5}{6}{7}{8}{9}{10}",
       {Number(0), Number(1), Number(2), Number(3), Number(4), Number(5), Number(6), Number(7),
        Number(8), Number(9), Number(10)},
       L"012345678910"},
      {L"a placeholder {0} filled with {1}", {Text(L"{1}"), Text(L"x")},
       L"a placeholder {1} filled with x"},
      {L"", {Text(L"dropped")}, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compose(c.message, c.arguments), c.text) << Utf16ToUtf8(c.message);
  }
}

TEST(LogRecordTest, UnsignedArgumentsAreWrittenInDecimal) {
  LogRecord record("x.cpp", 1);
  record.Start(LV_APP, L"{0} {1} {2}") << 7u << 18446744073709551615ull << size_t{3};
  EXPECT_NE(record.Line().find(L"] 7 18446744073709551615 3\r\n"), std::wstring::npos);
}

TEST(LogRecordTest, LineHasTimeLocationLevelAndCrLf) {
  LogRecord record("C:\\src\\installer\\window\\setup_wnd.cpp", 321);
  record.Start(LV_APP, L"------- init window -------");
  const std::wstring line = record.Line();
  // "[YYYY-MM-DD HH:MM:SS setup_wnd.cpp:321 LV_APP] text\r\n"
  ASSERT_GE(line.size(), 21u);
  const std::wstring pattern = L"[dddd-dd-dd dd:dd:dd";
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'd') {
      EXPECT_TRUE(line[i] >= L'0' && line[i] <= L'9') << Utf16ToUtf8(line);
    } else {
      EXPECT_EQ(line[i], pattern[i]) << Utf16ToUtf8(line);
    }
  }
  EXPECT_EQ(line.substr(20), L" setup_wnd.cpp:321 LV_APP] ------- init window -------\r\n");
}

TEST(LogRecordTest, LocationKeepsOnlyTheLastPathComponent) {
  const struct {
    const char* file;
    const wchar_t* shown;
  } cases[] = {
      {"a/b/c.cpp", L" c.cpp:5 "},
      {"dir\\mixed/x\\y.cpp", L" y.cpp:5 "},
      {"plain.cpp", L" plain.cpp:5 "},
      {"ends/", L" :5 "},
  };
  for (const auto& c : cases) {
    LogRecord record(c.file, 5);
    EXPECT_EQ(record.Line().substr(20, std::wcslen(c.shown)), c.shown) << c.file;
  }
}

TEST(LogRecordTest, LevelNamesAndOutOfRangeLevels) {
  const struct {
    int level;
    const wchar_t* tail;
  } cases[] = {
      {LV_ERR, L"LV_ERR] m\r\n"}, {LV_WAR, L"LV_WAR] m\r\n"}, {LV_APP, L"LV_APP] m\r\n"},
      {LV_PRO, L"LV_PRO] m\r\n"}, {4, L":1 ] m\r\n"},         {-1, L":1 ] m\r\n"},
  };
  for (const auto& c : cases) {
    LogRecord record("f.cpp", 1);
    record.Start(c.level, L"m");
    const std::wstring line = record.Line();
    const std::wstring tail = c.tail;
    ASSERT_GE(line.size(), tail.size());
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << c.level;
  }
  LogRecord never_started("f.cpp", 1);
  EXPECT_NE(never_started.Line().find(L" LV_PRO] \r\n"), std::wstring::npos);
}

TEST_F(LoggerTest, NewFileGetsExactlyOneByteOrderMark) {
  QLOG(LV_APP, L"first {0}") << L"line";
  QLOG(LV_ERR, L"second");
  const std::string bytes = LogBytes();
  ASSERT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
  EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 3), std::string::npos);
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(TextOf(lines[0]), "first line");
  EXPECT_EQ(TextOf(lines[1]), "second");
}

TEST_F(LoggerTest, ExistingFileGetsNoByteOrderMark) {
  for (const std::string& existing : {std::string(), std::string("earlier\r\n")}) {
    ASSERT_TRUE(WriteFileBytes(log_path_, existing));
    QLOG(LV_APP, L"appended");
    const std::string bytes = LogBytes();
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF"), std::string::npos);
    ASSERT_EQ(bytes.compare(0, existing.size(), existing), 0);
    EXPECT_EQ(TextOf(bytes.substr(existing.size())), "appended\r\n");
  }
}

TEST_F(LoggerTest, OnlyLinesAtOrBelowTheThresholdReachTheFile) {
  QLOG(LV_ERR, L"error");
  QLOG(LV_WAR, L"warning");
  QLOG(LV_APP, L"milestone");
  QLOG(LV_PRO, L"detail");
  QLOG(-3, L"below every level");
  Logger::Instance().SetThreshold(LV_ERR);
  QLOG(LV_WAR, L"warning above a lowered threshold");
  std::vector<std::string> texts;
  for (const std::string& line : LogLines()) texts.push_back(TextOf(line));
  EXPECT_EQ(texts, (std::vector<std::string>{"error", "warning", "milestone", "below every level"}));
}

TEST_F(LoggerTest, TextIsWrittenAsUtf8WithCrLfLineEnds) {
  const std::wstring text = {L'p', 0x00E9, 0x4E2D, static_cast<wchar_t>(0xD83D),
                             static_cast<wchar_t>(0xDE00)};
  QLOG(LV_APP, L"name {0}") << text;
  QLOG(LV_APP, L"next");
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(TextOf(lines[0]), "name p\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const std::string bytes = LogBytes();
  EXPECT_EQ(bytes.substr(bytes.size() - 6), "next\r\n");
}

TEST_F(LoggerTest, WithoutAPathNothingIsWritten) {
  Logger::Instance().SetPath(L"");
  QLOG(LV_ERR, L"nowhere");
  EXPECT_FALSE(FileExists(log_path_));
  EXPECT_EQ(Logger::Instance().Path(), L"");
}

TEST_F(LoggerTest, AFileThatCannotBeOpenedLosesTheLineQuietly) {
  Logger::Instance().SetPath(scratch_.File(L"missing_folder") + L"/log.txt");
  QLOG(LV_ERR, L"lost");
  EXPECT_FALSE(FileExists(scratch_.File(L"missing_folder")));
}

TEST_F(LoggerTest, ConcurrentWritersNeitherInterleaveNorLoseLines) {
  constexpr int kThreads = 8;
  constexpr int kLinesPerThread = 300;
  // Shared with the threads, so that a failed deadline can leave them running safely.
  struct State {
    std::mutex lock;
    std::condition_variable done;
    int finished = 0;
    std::atomic<bool> go{false};
  };
  auto state = std::make_shared<State>();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([state, t] {
      while (!state->go) std::this_thread::yield();
      for (int i = 0; i < kLinesPerThread; ++i) {
        QLOG(LV_APP, L"thread {0} line {1} padding {2}") << t << i << std::wstring(40 + t, L'x');
      }
      std::lock_guard<std::mutex> hold(state->lock);
      ++state->finished;
      state->done.notify_all();
    });
  }
  state->go = true;
  bool all_done;
  {
    std::unique_lock<std::mutex> hold(state->lock);
    all_done = state->done.wait_for(hold, std::chrono::seconds(120),
                                    [&] { return state->finished == kThreads; });
  }
  for (std::thread& thread : threads) {
    if (all_done) {
      thread.join();
    } else {
      thread.detach();
    }
  }
  ASSERT_TRUE(all_done) << "writers did not finish in time";

  std::map<int, int> next_line;
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesPerThread));
  for (const std::string& line : lines) {
    int t = -1;
    int i = -1;
    char padding[128] = {};
    ASSERT_EQ(std::sscanf(TextOf(line).c_str(), "thread %d line %d padding %127s", &t, &i, padding),
              3)
        << line;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    EXPECT_EQ(std::string(padding), std::string(40 + t, 'x')) << line;
    EXPECT_EQ(i, next_line[t]) << "lines of one thread keep their order: " << line;
    next_line[t] = i + 1;
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next_line[t], kLinesPerThread) << t;
}

#ifdef _WIN32
TEST_F(LoggerTest, EveryLineGoesToTheDebuggerOutputWhateverItsLevel) {
  DebugOutputCapture capture;
  QLOG(LV_PRO, L"detail {0}") << 17;
  QLOG(LV_APP, L"milestone");
  EXPECT_TRUE(capture.Contains("LV_PRO] detail 17\r\n"));
  EXPECT_TRUE(capture.Contains("LV_APP] milestone\r\n"));
  std::vector<std::string> texts;
  for (const std::string& line : LogLines()) texts.push_back(TextOf(line));
  EXPECT_EQ(texts, std::vector<std::string>{"milestone"});

  Logger::Instance().SetPath(L"");
  QLOG(LV_ERR, L"without a file");
  EXPECT_TRUE(capture.Contains("LV_ERR] without a file\r\n"));
}
#endif

}  // namespace
