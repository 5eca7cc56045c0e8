// The process-wide log: every line goes to the debugger output and, at or below the
// threshold and once a path is set, to a UTF-8 file with one byte-order mark.
//
// Threads: any thread may log. A line is composed without a lock; only the file append
// (open, write, close) runs under the logger's lock, so lines never interleave in the file.
// The instance is never destroyed: a worker thread that outlives the main thread's exit
// path may still log.
//
// A call site is one expression; the record writes its line when the expression ends:
//   QLOG(LV_APP, L"start_run {0}, {1}") << program << parameters;
#pragma once

#include <mutex>
#include <string>

enum LogLevel { LV_ERR = 0, LV_WAR = 1, LV_APP = 2, LV_PRO = 3 };

class Logger {
 public:
  static Logger& Instance();

  void SetThreshold(int threshold);
  void SetPath(const std::wstring& path);
  std::wstring Path() const;

  // Sends a finished line (with its line end) to the debugger output and, when the
  // level is at or below the threshold and a path is set, appends it to the file.
  void Write(int level, const std::wstring& line);

 private:
  Logger() = default;

  mutable std::mutex state_lock_;  // guards path_ and threshold_ between threads
  std::wstring path_;
  int threshold_ = 0;
};

class LogRecord {
 public:
  // `file` is the caller's __FILE__; only its last path component is shown.
  LogRecord(const char* file, long line);
  ~LogRecord();
  LogRecord(const LogRecord&) = delete;
  LogRecord& operator=(const LogRecord&) = delete;

  LogRecord& Start(int level, const std::wstring& message);
  LogRecord& operator<<(const std::wstring& argument);
  LogRecord& operator<<(const wchar_t* argument);
  // Integers are written in decimal, negative ones with a leading "-".
  LogRecord& operator<<(long long argument);
  LogRecord& operator<<(int argument) { return *this << static_cast<long long>(argument); }
  LogRecord& operator<<(long argument) { return *this << static_cast<long long>(argument); }
  LogRecord& operator<<(unsigned argument) { return *this << static_cast<long long>(argument); }
  LogRecord& operator<<(unsigned long argument) { return *this << static_cast<unsigned long long>(argument); }
  LogRecord& operator<<(unsigned long long argument);

  // The whole line as it is written, with its "\r\n".
  std::wstring Line() const;
  int level() const { return level_; }

 private:
  void Fill(const std::wstring& text);

  std::wstring message_;
  std::wstring output_;
  std::wstring time_prefix_;
  std::wstring location_;
  int argument_count_ = 0;
  int level_ = LV_PRO;
};

#define QLOG(level, message) LogRecord(__FILE__, __LINE__).Start((level), (message))
