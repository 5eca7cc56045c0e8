// The GA4 Measurement Protocol request of one event, apart from sending it: the event
// label, the collection URL with its query and the compact JSON body. Values are put in
// as they are, without JSON escaping. Needs no OS facility.
#pragma once

#include <string>

// label, or label + "_" + suffix when the suffix is not empty.
std::string BuildGaEventLabel(const std::string& label, const std::string& suffix);

// "<url>?measurement_id=<id>&api_secret=<secret>".
std::string BuildGaCollectUrl(const std::string& url, const std::string& measurement_id,
                              const std::string& api_secret);

// {"client_id":"D","user_id":"D","events":[{"name":"N","params":{"event_category":"C",
// "event_label":"L"}}]} on one line, without spaces.
std::string BuildGaEventBody(const std::string& client_id, const std::string& event_name,
                             const std::string& event_category, const std::string& event_label);
