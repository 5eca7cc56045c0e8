// The whole install sequence without a window, for real: a recording view with a
// message-only window, the project's test server serving the stand-in setup program,
// the real downloader, reporters, silent installation and stand-in product. No package
// is open: the configuration is a resources\product.ini in the test's working folder
// that points every URL at the test server.
#include "installer/window/install_flow.h"

#include <gtest/gtest.h>
#include <json/json.h>
#include <objbase.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "installer/utils/path_util.h"
#include "installer/utils/string_util.h"
#include "tests/installer/utils/scoped_environment.h"
#include "tests/installer/utils/wait_until.h"
#include "tests/installer/window/recording_view.h"
#include "tests/support/scoped_temp_folder.h"
#include "tests/support/test_server_client.h"
#include "ui/core/global_resources.h"

namespace {

constexpr std::chrono::seconds kDeadline(120);
constexpr int kSetupSize = 1024 * 1024;  // the stand-in setup, padded: 3 MiB needed
const wchar_t kProductName[] = L"Qiv Moltrix";

// The real system, except that URLs are recorded instead of opened in a browser, and
// that stand-ins may answer the free-space and connectivity queries.
class TestSystem : public InstallSystem {
 public:
  double FreeDiskSpaceMB(const std::wstring& path) override {
    free_space_queries.push_back(path);
    return free_space_stand_in >= 0 ? free_space_stand_in : InstallSystem::FreeDiskSpaceMB(path);
  }
  bool IsConnectedToInternet() override {
    return offline_stand_in ? false : InstallSystem::IsConnectedToInternet();
  }
  void OpenUrl(const std::wstring& target) override { opened_urls.push_back(target); }

  std::vector<std::wstring> opened_urls;
  std::vector<std::wstring> free_space_queries;
  double free_space_stand_in = -1;
  bool offline_stand_in = false;
};

// A file of the shipped resources tree.
std::wstring Shipped(const char* relative) {
  return Utf8ToUtf16(std::string(QM_TEST_RESOURCES_DIR) + "/" + relative);
}

// One telemetry request as the server received it.
struct Event {
  std::string text;  // "ga:<event label>" or "xd:<action>,<status>"
  bool valid = false;  // the GA4 body names the product, or the report is signed correctly
};

class InstallFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.valid()) << "QM_TEST_SERVER is not set: run through with_server.py";
    ASSERT_TRUE(server_.Reset(true));
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    ASSERT_TRUE(work_.valid());
    // A name for this test's files, events and folders ("Name/1" for a parameter).
    test_name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test_name_) {
      if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    file_name_ = "QivMoltrixFullSetup_" + test_name_ + ".exe";
    ga_name_ = "Qiv_Moltrix_" + test_name_;
    install_folder_ = work_.path() + L"Qiv Moltrix";

    ASSERT_TRUE(ServeStandInSetup());
    ASSERT_TRUE(WriteConfiguration());
    language_file_ = GetRoamingAppDataDir() + L"\\MoltrixFlowTest\\" + Utf8ToUtf16(test_name_) +
                     L"\\cache\\language";
    ::DeleteFileW(language_file_.c_str());
    ::DeleteFileW(DownloadTarget().c_str());

    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    previous_directory_ = previous;
    ASSERT_TRUE(::SetCurrentDirectoryW(work_.path().c_str()));

    // What the framework's start does with the packaged English strings.
    ui::GlobalResources::TextIdTable().LoadFromFile(Shipped("lang/English/gdstrings.ini"));
    ASSERT_EQ(ui::GlobalResources::TextForId(L"STRID_ENDPAGE_START"), L"Start Now");

    view_ = std::make_unique<RecordingView>();
    ASSERT_NE(view_->WindowHandle(), nullptr);
    flow_ = std::make_unique<InstallFlow>(*view_, system_);
    view_->Attach(flow_.get());
  }

  void TearDown() override {
    if (view_) {
      EXPECT_EQ(view_->UnusedAnswers(), 0u) << "a box that was expected never showed";
      view_->Attach(nullptr);
    }
    flow_.reset();  // joins the downloader's threads
    view_.reset();
    ui::GlobalResources::TextIdTable().Clear();
    if (!previous_directory_.empty()) ::SetCurrentDirectoryW(previous_directory_.c_str());
    ::CoUninitialize();
  }

  bool ServeStandInSetup() {
    std::string bytes;
    if (!ReadWholeFile(GetExeDir() + L"stand_in_setup.exe", &bytes)) return false;
    if (bytes.size() > static_cast<size_t>(kSetupSize)) return false;
    bytes.resize(kSetupSize, '\0');  // padding after the image changes nothing
    return server_.PutFile(file_name_, bytes);
  }

  bool WriteConfiguration() {
    if (!CreateDirectories(work_.path() + L"resources")) return false;
    const std::string download = server_.Url("/" + file_name_) + " ";
    const std::string ini =
        "\xEF\xBB\xBF;Common\r\n"
        "INSTALL_DIR1=QivMoltrix\r\n"
        "INSTALL_DIR2=\r\n"
        "APPDATA_DIR=MoltrixFlowTest/" + test_name_ + "\r\n"
        "PRODUCT_NAME=Qiv Moltrix\r\n"
        "PROCESS_NAME=Moltrix.exe\r\n"
        "PRODUCT_ID=1007\r\n"
        "PKG_PSW=\r\n"
        "URLID_DOWN=" + download + "\r\n"
        "URLID_DOWN_X64=" + download + "\r\n"
        "GA_URL=" + server_.Url("/mp/collect") + "\r\n"
        "GA_TID=G-Q7RM2XKD4B\r\n"
        "GA_API=Rb4uTq8ZwL-nC2pXhV7sKa\r\n"
        "GA_EC=Installer\r\n"
        "GA_EN=" + ga_name_ + "\r\n"
        "XD_URL=" + server_.Url("/log/v1/api/report");
    std::string languages;
    return WriteWholeFile(work_.path() + L"resources\\product.ini", ini) &&
           ReadWholeFile(Shipped("lang.ini"), &languages) &&
           WriteWholeFile(work_.path() + L"resources\\lang.ini", languages);
  }

  std::wstring DownloadTarget() const {
    return GetLocalAppDataDir() + L"Temp\\" + Utf8ToUtf16(file_name_);
  }
  std::wstring DownloadUrl() const { return server_.WideUrl("/" + file_name_); }
  std::wstring Text(const wchar_t* id) const { return ui::GlobalResources::TextForId(id); }

  // The telemetry of this test in the order the server received it.
  std::vector<Event> Telemetry() const {
    std::vector<Event> events;
    Json::Value records;
    if (!server_.Requests(&records)) return events;
    for (const Json::Value& record : records) {
      if (record["method"].asString() != "POST") continue;
      Json::Value body;
      Json::Reader reader;
      if (!reader.parse(record["body"].asString(), body)) continue;
      Event event;
      if (record["path"].asString() == "/mp/collect") {
        const Json::Value& first = body["events"][0];
        if (first["name"].asString() != ga_name_) continue;  // an earlier test's straggler
        event.text = "ga:" + first["params"]["event_label"].asString();
        event.valid = record["query"].asString() ==
                          "measurement_id=G-Q7RM2XKD4B&api_secret=Rb4uTq8ZwL-nC2pXhV7sKa" &&
                      first["params"]["event_category"].asString() == "Installer" &&
                      body["client_id"].asString().size() == 32;
      } else if (record["path"].asString() == "/log/v1/api/report") {
        event.text = "xd:" + body["action"].asString() + "," + body["status"].asString();
        event.valid = record["signature_ok"].asBool() && body["product"].asString() == "1007" &&
                      body["qd"].asString() == "home" && body["os"].asString() == "windows";
      } else {
        continue;
      }
      events.push_back(event);
    }
    return events;
  }

  static std::vector<std::string> Texts(const std::vector<Event>& events) {
    std::vector<std::string> texts;
    for (const Event& event : events) texts.push_back(event.text);
    return texts;
  }

  size_t CountTelemetry(const std::string& text) const {
    size_t count = 0;
    for (const Event& event : Telemetry()) count += event.text == text;
    return count;
  }
  size_t CountTelemetryStartingWith(const std::string& prefix) const {
    size_t count = 0;
    for (const Event& event : Telemetry()) count += event.text.rfind(prefix, 0) == 0;
    return count;
  }

  // Requests for the setup file: the length queries have no Range header, the parts one.
  size_t RangedDownloads() const {
    Json::Value records;
    if (!server_.Requests(&records, "/" + file_name_)) return 0;
    size_t count = 0;
    for (const Json::Value& record : records) {
      for (const Json::Value& header : record["headers"]) {
        if (header[0].asString() == "Range") ++count;
      }
    }
    return count;
  }

  bool LengthQueried() const {
    Json::Value records;
    return server_.Requests(&records, "/" + file_name_) && !records.empty();
  }

  // Prepares the flow, and waits (pumping messages) until the server has seen the pop-up
  // event and the length query, as a user takes a moment before clicking.
  void PrepareAndSettle() {
    flow_->Prepare();
    ASSERT_TRUE(view_->RunUntil(
        [&] { return CountTelemetry("ga:Installer_Popup") == 1 && LengthQueried(); }, kDeadline));
    // The length is known before StartInstall reads it: the server has answered the
    // query, and StartInstall waits for its report request before reading.
    view_->SetInstallPathText(install_folder_);
  }

  bool RunUntilPage(int page) {
    return view_->RunUntil([&] { return view_->CurrentPage() == page; }, kDeadline);
  }

  std::string ReadInstalled(const wchar_t* name) const {
    std::string bytes;
    ReadWholeFile(install_folder_ + L"\\" + name, &bytes);
    return bytes;
  }

  TestServerClient server_;
  ScopedTempFolder work_;
  TestSystem system_;
  std::unique_ptr<RecordingView> view_;
  std::unique_ptr<InstallFlow> flow_;
  std::string test_name_;
  std::string file_name_;
  std::string ga_name_;
  std::wstring install_folder_;
  std::wstring language_file_;
  std::wstring previous_directory_;
};

// Each event's phase in a successful installation. Events of one phase are sent together
// (the GA4 one from its own thread), so only the order of the phases is fixed.
int Phase(const std::string& text) {
  if (text == "ga:Installer_Popup") return 0;
  if (text == "ga:Install_Start" || text == "xd:install,start") return 1;
  if (text.rfind("ga:Install_Time", 0) == 0) return 2;
  if (text == "ga:Install_End" || text == "xd:install,end") return 3;
  return 4;
}

TEST_F(InstallFlowTest, AWholeInstallationRunsHeadless) {
  // Eight ranges of 128 KiB at 64 KiB/s each: the download takes about two seconds.
  ASSERT_TRUE(server_.AddFault("kind=rate&rate=65536&ranged=1&path=/" + file_name_));
  PrepareAndSettle();
  EXPECT_EQ(view_->pages, std::vector<int>{kHomePage});
  EXPECT_TRUE(view_->IsVisible(ViewPart::kCloseButton));
  EXPECT_TRUE(view_->IsVisible(ViewPart::kMinimizeButton));
  EXPECT_EQ(view_->custom_unselected, 1);
  EXPECT_EQ(view_->texts_applied, 1);
  ASSERT_EQ(view_->language_list.size(), 1u);
  EXPECT_EQ(view_->language_list[0].name, L"English");
  EXPECT_EQ(view_->selected_language, L"English");

  flow_->StartInstall();
  EXPECT_EQ(view_->CurrentPage(), kDownloadPage);
  EXPECT_FALSE(view_->IsVisible(ViewPart::kCloseButton));
  EXPECT_FALSE(view_->IsVisible(ViewPart::kMinimizeButton));
  EXPECT_FALSE(view_->IsVisible(ViewPart::kCustomBox));
  EXPECT_FALSE(view_->IsVisible(ViewPart::kInvalidPathLabel));
  EXPECT_EQ(view_->switch_height, 360);
  EXPECT_EQ(view_->carousel_starts, 1);

  ASSERT_TRUE(RunUntilPage(kEndPage)) << "boxes shown: " << view_->boxes.size();
  EXPECT_TRUE(view_->boxes.empty());
  EXPECT_EQ(view_->pages, (std::vector<int>{kHomePage, kDownloadPage, kEndPage}));
  EXPECT_TRUE(view_->IsVisible(ViewPart::kCloseButton));
  EXPECT_FALSE(view_->IsVisible(ViewPart::kMinimizeButton));

  // The bar only grows, up to 90, and its label follows it.
  ASSERT_FALSE(view_->progress_values.empty());
  for (size_t i = 1; i < view_->progress_values.size(); ++i) {
    EXPECT_LT(view_->progress_values[i - 1], view_->progress_values[i]);
  }
  EXPECT_LE(view_->progress, 90);
  EXPECT_EQ(view_->progress_label, L"(" + std::to_wstring(view_->progress) + L"%)");

  // What the setup program, the language file and the product show.
  EXPECT_EQ(ReadInstalled(L"setup_cmdline.txt"),
            "/DIR=\"" + Utf16ToUtf8(install_folder_) + "\" /dorvane_down /wait_run /verysilent");
  EXPECT_EQ(ReadInstalled(L"product_cmdline.txt"), "--install=1");
  std::string language;
  ASSERT_TRUE(ReadWholeFile(language_file_, &language));
  EXPECT_EQ(language, "English");
  EXPECT_FALSE(FileExists(DownloadTarget())) << "the downloaded setup is deleted";
  EXPECT_EQ(system_.free_space_queries, std::vector<std::wstring>{install_folder_});

  // The telemetry, in the order of the flow, each request valid.
  ASSERT_TRUE(view_->RunUntil([&] { return Telemetry().size() >= 6; }, kDeadline))
      << testing::PrintToString(Texts(Telemetry()));
  const std::vector<Event> events = Telemetry();
  ASSERT_EQ(events.size(), 6u) << testing::PrintToString(Texts(events));
  std::vector<std::string> sorted = Texts(events);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"ga:Install_End", "ga:Install_Start",
                                              "ga:Install_Time_0-15s", "ga:Installer_Popup",
                                              "xd:install,end", "xd:install,start"}));
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_TRUE(events[i].valid) << events[i].text;
    if (i > 0) {
      EXPECT_LE(Phase(events[i - 1].text), Phase(events[i].text))
          << testing::PrintToString(Texts(events));
    }
  }

  // "Start Now" runs the product as the desktop user and ends the installer; the shipped
  // table has no page to open on the way out.
  ::DeleteFileW((install_folder_ + L"\\product_cmdline.txt").c_str());
  flow_->StartNow();
  EXPECT_TRUE(view_->RunUntil([&] { return view_->quit_received; }, kDeadline));
  EXPECT_TRUE(view_->window_closed);
  EXPECT_TRUE(system_.opened_urls.empty());
  // The loop has ended: what follows is waited for without it.
  EXPECT_TRUE(WaitUntil([&] { return FileExists(install_folder_ + L"\\product_cmdline.txt"); },
                        kDeadline));
  EXPECT_EQ(ReadInstalled(L"product_cmdline.txt"), "");
  // The product has ended once its file can go.
  const std::wstring product = install_folder_ + L"\\Moltrix.exe";
  EXPECT_TRUE(WaitUntil([&] { return ::DeleteFileW(product.c_str()) != 0; }, kDeadline));
}

TEST_F(InstallFlowTest, AFailedSetupShowsTheInstallationErrorAndSendsNoInstallEnd) {
  struct Case {
    const char* name;
    const wchar_t* variable;
    const wchar_t* value;
  };
  const Case cases[] = {
      {"setup exit code", L"QM_STAND_IN_SETUP_EXIT", L"5"},
      {"no product left", L"QM_STAND_IN_PRODUCT_NAME", L"Other.exe"},
  };
  PrepareAndSettle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnvironment environment(c.variable, c.value);
    const size_t boxes_before = view_->boxes.size();
    view_->ScriptAnswers({BoxAnswer::kAbort});
    flow_->StartInstall();
    ASSERT_TRUE(view_->RunUntil([&] { return view_->boxes.size() > boxes_before; }, kDeadline));
    ASSERT_EQ(view_->boxes.size(), boxes_before + 1);
    const RecordingView::Box& box = view_->boxes.back();
    EXPECT_EQ(box.text, Text(L"STRID_BOX_UNKOWN_ERROR"));
    EXPECT_EQ(box.buttons, BoxButtons::kAbortRetryIgnore);
    EXPECT_EQ(box.page, kDownloadPage);
    // Abort: back home.
    EXPECT_EQ(view_->CurrentPage(), kHomePage);
    EXPECT_TRUE(view_->IsVisible(ViewPart::kCloseButton));
    EXPECT_TRUE(view_->IsVisible(ViewPart::kMinimizeButton));
    EXPECT_FALSE(FileExists(language_file_));
    EXPECT_FALSE(FileExists(install_folder_ + L"\\product_cmdline.txt"));
  }
  ASSERT_TRUE(view_->RunUntil(
      [&] { return CountTelemetryStartingWith("ga:Install_Time") == 2; }, kDeadline));
  EXPECT_EQ(CountTelemetry("ga:Install_End"), 0u);
  EXPECT_EQ(CountTelemetry("xd:install,end"), 0u);
  EXPECT_EQ(std::count(view_->pages.begin(), view_->pages.end(), kEndPage), 0);
}

TEST_F(InstallFlowTest, AFailedSetupCanBeRetriedOrLeftForTheBrowser) {
  PrepareAndSettle();
  ScopedEnvironment environment(L"QM_STAND_IN_SETUP_EXIT", L"9");
  view_->ScriptAnswers({BoxAnswer::kRetry, BoxAnswer::kIgnore});
  flow_->StartInstall();
  ASSERT_TRUE(view_->RunUntil([&] { return view_->quit_posted; }, kDeadline));
  ASSERT_EQ(view_->boxes.size(), 2u);
  EXPECT_EQ(RangedDownloads(), 16u) << "Retry downloads again";
  EXPECT_EQ(system_.opened_urls, std::vector<std::wstring>{DownloadUrl()});
  EXPECT_EQ(view_->CurrentPage(), kEndPage);
  EXPECT_TRUE(view_->IsVisible(ViewPart::kCloseButton));
  EXPECT_FALSE(view_->IsVisible(ViewPart::kMinimizeButton));
  EXPECT_EQ(CountTelemetry("ga:Install_End"), 0u);
}

TEST_F(InstallFlowTest, ARunningProductShowsTheBoxAndStaysHome) {
  ScopedEnvironment tasks(L"QM_FAKE_TASKS", L"explorer.exe;Moltrix.exe");
  PrepareAndSettle();
  view_->ScriptAnswers({BoxAnswer::kOk, BoxAnswer::kOk});
  flow_->StartInstall();
  flow_->StartInstall();
  ASSERT_EQ(view_->boxes.size(), 2u);
  for (const RecordingView::Box& box : view_->boxes) {
    EXPECT_EQ(box.text, std::wstring(kProductName) +
                            L" is currently running, please exit the program first.");
    EXPECT_EQ(box.buttons, BoxButtons::kOk);
  }
  EXPECT_EQ(view_->pages, std::vector<int>{kHomePage});
  EXPECT_TRUE(system_.free_space_queries.empty()) << "no check after the running product";
  EXPECT_TRUE(view_->RunUntil([&] { return CountTelemetry("ga:Install_Start") == 2; }, kDeadline));
  EXPECT_EQ(CountTelemetry("xd:install,start"), 2u);
  EXPECT_EQ(RangedDownloads(), 0u);
}

TEST_F(InstallFlowTest, AnInvalidPathShowsTheLabelAndStaysHome) {
  PrepareAndSettle();
  const wchar_t* const paths[] = {L"", L"no colon here", L"Q:\\absent drive", L"C:\\a?b",
                                  L"C:\\a|b"};
  for (const wchar_t* path : paths) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(path)));
    view_->SetPartVisible(ViewPart::kInvalidPathLabel, false);
    view_->SetInstallPathText(path);
    flow_->StartInstall();
    EXPECT_TRUE(view_->IsVisible(ViewPart::kInvalidPathLabel));
  }
  EXPECT_TRUE(view_->boxes.empty());
  EXPECT_EQ(view_->pages, std::vector<int>{kHomePage});
  EXPECT_TRUE(system_.free_space_queries.empty());
  EXPECT_EQ(RangedDownloads(), 0u);
}

TEST_F(InstallFlowTest, TooLittleDiskSpaceStandInShowsTheMiBNeededThenExactlyEnoughPasses) {
  PrepareAndSettle();
  system_.free_space_stand_in = 2.99;
  view_->ScriptAnswers({BoxAnswer::kOk});
  flow_->StartInstall();
  ASSERT_EQ(view_->boxes.size(), 1u);
  EXPECT_EQ(view_->boxes[0].text,
            L"There is not enough disk space to complete the installation. (3 MB of disk space "
            L"is required.)");
  EXPECT_EQ(view_->boxes[0].buttons, BoxButtons::kOk);
  EXPECT_EQ(view_->pages, std::vector<int>{kHomePage});
  EXPECT_EQ(RangedDownloads(), 0u);

  system_.free_space_stand_in = 3;
  flow_->StartInstall();
  EXPECT_EQ(view_->boxes.size(), 1u);
  ASSERT_TRUE(RunUntilPage(kEndPage));
}

struct DownloadFailureCase {
  BoxAnswer answer;
  int page;
  bool quit;
  size_t install_ends;
};

class DownloadFailureTest : public InstallFlowTest,
                            public ::testing::WithParamInterface<DownloadFailureCase> {};

TEST_P(DownloadFailureTest, WhileOnlineTheInstallationErrorOffersAbortRetryAndIgnore) {
  const DownloadFailureCase& c = GetParam();
  // The eight ranges of the first run are refused; later runs succeed.
  ASSERT_TRUE(server_.AddFault("kind=404&ranged=1&count=8&path=/" + file_name_));
  PrepareAndSettle();
  view_->ScriptAnswers({c.answer});
  flow_->StartInstall();
  ASSERT_TRUE(view_->RunUntil(
      [&] {
        return !view_->boxes.empty() && (view_->CurrentPage() == c.page || view_->quit_posted);
      },
      kDeadline));
  ASSERT_EQ(view_->boxes.size(), 1u);
  EXPECT_EQ(view_->boxes[0].text, Text(L"STRID_BOX_UNKOWN_ERROR"));
  EXPECT_EQ(view_->boxes[0].buttons, BoxButtons::kAbortRetryIgnore);
  EXPECT_EQ(view_->quit_posted, c.quit);
  EXPECT_EQ(system_.opened_urls,
            c.quit ? std::vector<std::wstring>{DownloadUrl()} : std::vector<std::wstring>{});
  EXPECT_EQ(view_->IsVisible(ViewPart::kMinimizeButton), c.page == kHomePage);
  EXPECT_TRUE(view_->IsVisible(ViewPart::kCloseButton));
  // The taskbar shows the error while the box is open and is cleared when it closes.
  const auto error = std::find(view_->taskbar.begin(), view_->taskbar.end(),
                               std::make_pair(TaskbarState::kError, 100));
  ASSERT_NE(error, view_->taskbar.end());
  ASSERT_NE(error + 1, view_->taskbar.end());
  EXPECT_EQ(*(error + 1), std::make_pair(TaskbarState::kIndeterminate, 0));
  if (c.install_ends) {
    EXPECT_TRUE(view_->RunUntil(
        [&] { return CountTelemetry("ga:Install_End") == c.install_ends; }, kDeadline));
  }
  EXPECT_EQ(CountTelemetry("xd:install,end"), c.install_ends);
}

INSTANTIATE_TEST_SUITE_P(Answers, DownloadFailureTest,
                         ::testing::Values(DownloadFailureCase{BoxAnswer::kAbort, kHomePage, false, 0},
                                           DownloadFailureCase{BoxAnswer::kRetry, kEndPage, false, 1},
                                           DownloadFailureCase{BoxAnswer::kIgnore, kEndPage, true, 0}));

TEST_F(InstallFlowTest, ADownloadFailureOfflineStandInOffersRetryOrHome) {
  system_.offline_stand_in = true;
  ASSERT_TRUE(server_.AddFault("kind=404&ranged=1&count=8&path=/" + file_name_));
  PrepareAndSettle();
  view_->ScriptAnswers({BoxAnswer::kCancel});
  flow_->StartInstall();
  ASSERT_TRUE(view_->RunUntil([&] { return !view_->boxes.empty(); }, kDeadline));
  EXPECT_EQ(view_->boxes[0].text,
            L"Network error. Please check your network connection and try again.");
  EXPECT_EQ(view_->boxes[0].buttons, BoxButtons::kRetryCancel);
  EXPECT_EQ(view_->CurrentPage(), kHomePage);
  EXPECT_EQ(view_->custom_unselected, 2);

  ASSERT_TRUE(server_.AddFault("kind=404&ranged=1&count=8&path=/" + file_name_));
  view_->ScriptAnswers({BoxAnswer::kRetry});
  flow_->StartInstall();
  ASSERT_TRUE(RunUntilPage(kEndPage));
  EXPECT_EQ(view_->boxes.size(), 2u);
  EXPECT_EQ(view_->boxes[1].buttons, BoxButtons::kRetryCancel);
}

TEST_F(InstallFlowTest, QuitConfirmedSendsInstallCancelAndEndsTheInstaller) {
  PrepareAndSettle();
  view_->ScriptAnswers({BoxAnswer::kCancel});
  flow_->CloseHost();
  ASSERT_EQ(view_->boxes.size(), 1u);
  EXPECT_EQ(view_->boxes[0].text,
            L"The installation is not completed yet! Are you sure you want to quit?");
  EXPECT_EQ(view_->boxes[0].buttons, BoxButtons::kOkCancel);
  EXPECT_EQ(view_->close_requests, 0);

  view_->ScriptAnswers({BoxAnswer::kOk});
  flow_->CloseHost();
  ASSERT_TRUE(view_->RunUntil([&] { return view_->quit_received; }, kDeadline));
  EXPECT_TRUE(view_->window_closed);
  EXPECT_TRUE(system_.opened_urls.empty()) << "nothing is opened when leaving the home page";
  // The loop has ended; the event is on its way from its own thread.
  EXPECT_TRUE(WaitUntil([&] { return CountTelemetry("ga:Install_Cancel") == 1; }, kDeadline));
}

TEST_F(InstallFlowTest, ASystemCloseDuringTheDownloadAsksOnceAndCancelGoesOn) {
  // The download takes about two seconds: the close request arrives meanwhile.
  ASSERT_TRUE(server_.AddFault("kind=rate&rate=65536&ranged=1&path=/" + file_name_));
  PrepareAndSettle();
  flow_->StartInstall();
  int nested_boxes = 0;
  view_->while_box_shows = [&](const RecordingView::Box&) {
    // A further close request while the quit box is open does nothing.
    const size_t before = view_->boxes.size();
    flow_->CloseHost();
    nested_boxes += view_->boxes.size() != before;
  };
  view_->ScriptAnswers({BoxAnswer::kCancel});
  ::PostMessageW(view_->WindowHandle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(view_->RunUntil([&] { return !view_->boxes.empty(); }, kDeadline));
  view_->while_box_shows = nullptr;
  EXPECT_EQ(nested_boxes, 0);
  EXPECT_EQ(view_->boxes[0].page, kDownloadPage);
  EXPECT_FALSE(view_->window_closed);
  ASSERT_TRUE(RunUntilPage(kEndPage));
  EXPECT_EQ(view_->boxes.size(), 1u);
}

TEST_F(InstallFlowTest, DownloadProgressFillsTheBarToNinetyAndIgnoresTheRest) {
  struct Case {
    int percent;
    int bar;  // the bar afterwards
    size_t changes;  // bar changes so far
  };
  const Case cases[] = {
      {1, 1, 1}, {1, 1, 1}, {50, 45, 2}, {101, 45, 2}, {-1, 45, 2}, {100, 90, 3}, {100, 90, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    // As the downloader sends it: synchronously, the payload valid during the call.
    DownloadProgress payload = {nullptr, c.percent, 0, 0};
    ::SendMessageW(view_->WindowHandle(), WM_DOWNLOAD_PROGRESS, 0,
                   reinterpret_cast<LPARAM>(&payload));
    EXPECT_EQ(view_->progress, c.bar);
    EXPECT_EQ(view_->progress_values.size(), c.changes);
    EXPECT_EQ(view_->progress_label, L"(" + std::to_wstring(c.bar) + L"%)");
  }
}

TEST_F(InstallFlowTest, ClosingOnTheEndPageOpensTheInstallPageOnlyWhenOneIsSet) {
  struct Case {
    std::string strings;  // added to the table
    std::vector<std::wstring> opened;
  };
  const Case cases[] = {
      {"", {}},
      {"URLID_INSTALL=http://127.0.0.1:1/welcome", {L"http://127.0.0.1:1/welcome"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.strings);
    ui::GlobalResources::TextIdTable().LoadFromMemory(c.strings.data(), c.strings.size());
    auto view = std::make_unique<RecordingView>();
    TestSystem system;
    InstallFlow flow(*view, system);
    view->Attach(&flow);
    view->SelectPage(kEndPage);
    flow.CloseHost();
    EXPECT_TRUE(view->boxes.empty()) << "no question on the end page";
    EXPECT_TRUE(view->RunUntil([&] { return view->quit_received; }, kDeadline));
    EXPECT_TRUE(view->window_closed);
    EXPECT_EQ(system.opened_urls, c.opened);
    view->Attach(nullptr);
  }
}

}  // namespace
