#include "installer/HttpClient/http_header.h"

#include <cstdlib>
#include <utility>

namespace {

const std::pair<const char*, const char*> kDefaultFields[] = {
    {"User-Agent",
     "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
     "Chrome/80.0.4044.92 Safari/537.36"},
    {"Accept", "*/*"},
    {"Connection", "Keep-Alive"},
    {"Accept-Language", "zh-CN,zh;q=0.9"},
};

const char kLineEnd[] = "\r\n";

// Leading decimal digits only; 0 when there are none. Saturates instead of overflowing.
int LeadingNumber(const std::string& text) {
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
  }
  return static_cast<int>(value);
}

}  // namespace

CHttpHeader::CHttpHeader(const std::string& response_head) {
  size_t start = 0;
  bool status_line = true;
  while (start <= response_head.size()) {
    size_t end = response_head.find(kLineEnd, start);
    if (end == std::string::npos) end = response_head.size();
    const std::string line = response_head.substr(start, end - start);
    start = end + 2;
    if (status_line) {
      status_line = false;
      version_ = line.substr(0, 8);
      const size_t first_space = line.find(' ');
      if (first_space == std::string::npos) continue;
      const size_t second_space = line.find(' ', first_space + 1);
      status_code_ = LeadingNumber(line.substr(first_space + 1, second_space - first_space - 1));
      if (second_space != std::string::npos) reason_ = line.substr(second_space + 1);
      continue;
    }
    // A line without ": " (an empty line included) carries no field and is skipped.
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    AddField(line.substr(0, colon), line.substr(colon + 2));
  }
}

void CHttpHeader::AddField(const std::string& name, const std::string& value) {
  if (name.empty() || value.empty()) return;
  fields_.emplace(name, value);
}

void CHttpHeader::SetHost(const std::string& host) { AddField("Host", host); }

void CHttpHeader::SetRequestPath(const std::string& path) { request_path_ = path; }

std::string CHttpHeader::GetField(const std::string& name) const {
  const auto it = fields_.find(name);
  return it == fields_.end() ? std::string() : it->second;
}

void CHttpHeader::AddDefaultFields() {
  for (const auto& field : kDefaultFields) AddField(field.first, field.second);
}

std::string CHttpHeader::BuildHeaderLines() {
  AddDefaultFields();
  std::string lines;
  for (const auto& field : fields_) lines += field.first + ": " + field.second + kLineEnd;
  return lines;
}

std::string CHttpHeader::BuildRequest(int method) {
  if (version_.empty()) version_ = "HTTP/1.1";
  std::string head = method == 1 ? "POST " : "GET ";
  head += request_path_ + " " + version_ + kLineEnd;
  head += BuildHeaderLines();
  head += kLineEnd;
  return head;
}
