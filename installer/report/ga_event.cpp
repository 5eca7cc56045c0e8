#include "installer/report/ga_event.h"

std::string BuildGaEventLabel(const std::string& label, const std::string& suffix) {
  return suffix.empty() ? label : label + "_" + suffix;
}

std::string BuildGaCollectUrl(const std::string& url, const std::string& measurement_id,
                              const std::string& api_secret) {
  return url + "?measurement_id=" + measurement_id + "&api_secret=" + api_secret;
}

std::string BuildGaEventBody(const std::string& client_id, const std::string& event_name,
                             const std::string& event_category, const std::string& event_label) {
  std::string body = "{";
  body += "\"client_id\":\"" + client_id + "\",";
  body += "\"user_id\":\"" + client_id + "\",";
  body += "\"events\":[";
  body += "{";
  body += "\"name\":\"" + event_name + "\",";
  body += "\"params\":{";
  body += "\"event_category\":\"" + event_category + "\",";
  body += "\"event_label\":\"" + event_label + "\"}";
  body += "}";
  body += "]}";
  return body;
}
