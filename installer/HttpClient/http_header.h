// Header fields of one HTTP exchange. For a request: the caller's fields plus the default
// ones, rendered as header lines (for clients that write the request line themselves) or
// as a whole request head. For a response: the parsed status line and fields.
//
// Fields are kept in byte order of their names, so they render in that order, not in the
// order they were added. Names compare case-sensitively, and an existing field is never
// replaced: the first value given for a name wins. All text is narrow.
#pragma once

#include <map>
#include <string>

class CHttpHeader {
 public:
  CHttpHeader() = default;
  // Parses a response head: the text before the empty line that ends it, without that
  // terminator.
  explicit CHttpHeader(const std::string& response_head);
  virtual ~CHttpHeader() = default;

  // Ignored when the name or the value is empty or when the name is already present.
  void AddField(const std::string& name, const std::string& value);
  void SetHost(const std::string& host);
  void SetRequestPath(const std::string& path);
  std::string GetField(const std::string& name) const;

  // Adds the missing default fields and renders every field as "Name: value\r\n".
  std::string BuildHeaderLines();
  // Request line ("POST " for method code 1, else "GET "), the header lines and the empty
  // line that ends the head. Sets the version to "HTTP/1.1" when it is empty.
  std::string BuildRequest(int method);

  int status_code() const { return status_code_; }
  const std::string& version() const { return version_; }
  const std::string& reason() const { return reason_; }
  const std::string& request_path() const { return request_path_; }

 private:
  void AddDefaultFields();

  int status_code_ = 0;
  std::string version_;
  std::string reason_;
  std::string request_path_;
  std::map<std::string, std::string> fields_;  // std::less<std::string>: byte order
};
