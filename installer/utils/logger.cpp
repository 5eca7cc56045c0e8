#include "installer/utils/logger.h"

#include <ctime>

#include "installer/utils/log_output.h"
#include "installer/utils/string_util.h"

Logger& Logger::Instance() {
  static Logger* const instance = new Logger;
  return *instance;
}

void Logger::SetThreshold(int threshold) {
  std::lock_guard<std::mutex> hold(state_lock_);
  threshold_ = threshold;
}

void Logger::SetPath(const std::wstring& path) {
  std::lock_guard<std::mutex> hold(state_lock_);
  path_ = path;
}

std::wstring Logger::Path() const {
  std::lock_guard<std::mutex> hold(state_lock_);
  return path_;
}

void Logger::Write(int level, const std::wstring& line) {
  WriteDebugOutput(line);
  std::wstring path;
  int threshold;
  {
    std::lock_guard<std::mutex> hold(state_lock_);
    path = path_;
    threshold = threshold_;
  }
  if (level > threshold || path.empty()) return;
  AppendLogFile(path, Utf16ToUtf8(line));
}

LogRecord::LogRecord(const char* file, long line) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  time_prefix_ = WStringPrintf(L"[%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                               local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                               local.tm_sec);
  std::string name = file ? file : "";
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  location_ = WStringPrintf(L" %ls:%ld ", Utf8ToUtf16(name).c_str(), line);
}

LogRecord::~LogRecord() { Logger::Instance().Write(level_, Line()); }

LogRecord& LogRecord::Start(int level, const std::wstring& message) {
  level_ = level;
  message_ = message;
  return *this;
}

void LogRecord::Fill(const std::wstring& text) {
  const std::wstring placeholder = WStringPrintf(L"{%d}", argument_count_);
  const size_t p = message_.find(placeholder);
  if (p != std::wstring::npos) {
    output_.append(message_, 0, p);
    output_ += text;
    message_.erase(0, p + placeholder.size());
  }
  ++argument_count_;
}

LogRecord& LogRecord::operator<<(const std::wstring& argument) {
  Fill(argument);
  return *this;
}

LogRecord& LogRecord::operator<<(const wchar_t* argument) {
  Fill(argument ? argument : L"");
  return *this;
}

LogRecord& LogRecord::operator<<(long long argument) {
  Fill(WStringPrintf(L"%lld", argument));
  return *this;
}

LogRecord& LogRecord::operator<<(unsigned long long argument) {
  Fill(WStringPrintf(L"%llu", argument));
  return *this;
}

std::wstring LogRecord::Line() const {
  static const wchar_t* const kNames[] = {L"LV_ERR", L"LV_WAR", L"LV_APP", L"LV_PRO"};
  std::wstring level_text = (level_ >= 0 && level_ <= 3) ? kNames[level_] : L"";
  level_text += L"] ";
  return time_prefix_ + location_ + level_text + output_ + message_ + L"\r\n";
}
