#include "installer/report/ga_event.h"

#include <gtest/gtest.h>

namespace {

TEST(GaEventTest, LabelTakesTheSuffixOnlyWhenThereIsOne) {
  EXPECT_EQ(BuildGaEventLabel("Install_Time", "0-15s"), "Install_Time_0-15s");
  EXPECT_EQ(BuildGaEventLabel("Install_Start", ""), "Install_Start");
  EXPECT_EQ(BuildGaEventLabel("", "x"), "_x");
}

TEST(GaEventTest, UrlCarriesMeasurementIdAndSecret) {
  EXPECT_EQ(BuildGaCollectUrl("http://127.0.0.1:8080/mp/collect", "G-Q7RM2XKD4B",
                              "Rb4uTq8ZwL-nC2pXhV7sKa"),
            "http://127.0.0.1:8080/mp/collect?measurement_id=G-Q7RM2XKD4B"
            "&api_secret=Rb4uTq8ZwL-nC2pXhV7sKa");
}

TEST(GaEventTest, BodyIsCompactAndPutsValuesInAsTheyAre) {
  EXPECT_EQ(BuildGaEventBody("D", "N", "C", "L"),
            "{\"client_id\":\"D\",\"user_id\":\"D\",\"events\":[{\"name\":\"N\",\"params\":{"
            "\"event_category\":\"C\",\"event_label\":\"L\"}}]}");
  // No escaping: a quote in the label goes in unchanged, leaving invalid JSON.
  EXPECT_EQ(BuildGaEventBody("id", "Qiv_Moltrix", "Installer", "say \"hi\""),
            "{\"client_id\":\"id\",\"user_id\":\"id\",\"events\":[{\"name\":\"Qiv_Moltrix\","
            "\"params\":{\"event_category\":\"Installer\",\"event_label\":\"say \"hi\"\"}}]}");
}

}  // namespace
