// The web server through a real HTTP client on a free port of the loopback
// interface, with the clock fixed.

#include "web/web_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <memory>
#include <new>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden;
using kalvorden::testing::ReadFileBytes;
using kalvorden::testing::RunFixedClock;
using kalvorden::testing::TempDir;

namespace {

// The fixed clock of the end-to-end tests: 07-DEC-26 14:03:09.
constexpr LocalDateTime kFixedClock = {2026, 12, 7, 14, 3, 9};
constexpr const char* kWorkedExample = "wheel-load=72.5&top-cover=50&paving=1.5&fs=165&fc=10";

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(WebServerOptions{}); }
  void TearDown() override { Shut(); }

  void Start(WebServerOptions options) {
    options.address = "127.0.0.1";
    options.port = 0;
    options.readClock = [] { return kFixedClock; };
    server_ = std::make_unique<WebServer>(options);
    std::string error;
    ASSERT_TRUE(server_->Listen(error)) << error;
    runner_ = std::thread([this] { server_->Run(); });
  }

  void Shut() {
    server_->Stop();
    runner_.join();
    server_.reset();
  }

  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", server_->port());
    client.set_read_timeout(120, 0);
    return client;
  }

  httplib::Result Get(const std::string& target) const { return Client().Get(target.c_str()); }

  std::unique_ptr<WebServer> server_;
  std::thread runner_;
};

// The report rows of a report file's bytes: records of 11 blanks and the
// 59-character row (recognised by the " at " between bar and spacing).
std::vector<std::string> ReportRows(const std::string& report) {
  std::vector<std::string> rows;
  size_t begin = 0;
  while (begin < report.size()) {
    size_t end = report.find_first_of("\r\n\f", begin);
    if (end == std::string::npos) {
      end = report.size();
    }
    const std::string line = report.substr(begin, end - begin);
    if (line.size() == 70 && line.compare(0, 11, std::string(11, ' ')) == 0 &&
        line.compare(43, 4, " at ") == 0) {
      rows.push_back(line.substr(11));
    }
    begin = end + 1;
  }
  return rows;
}

// The rows of the page's tables: each table row's cells, tags removed.
std::vector<std::string> PageRows(const std::string& html) {
  std::vector<std::string> rows;
  const std::regex row("<tr><td>(.*?)</tr>");
  const std::regex tag("<[^>]*>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), row); it != std::sregex_iterator();
       ++it) {
    rows.push_back(std::regex_replace((*it)[1].str(), tag, ""));
  }
  return rows;
}

std::string Answers(const std::string& name, const std::vector<std::vector<std::string>>& lists,
                    bool continuity) {
  std::string answers = name + "\n";
  for (const auto& list : lists) {
    answers += std::to_string(list.size()) + "\n";
    for (const std::string& value : list) {
      answers += value + "\n";
    }
  }
  return answers + (continuity ? "Y\n" : "N\n");
}

}  // namespace

TEST_F(WebServerTest, RoutesAndMethods) {
  // The method, the target, the status and a text the answer must hold.
  // clang-format off
  const std::tuple<std::string, std::string, int, std::string> cases[] = {
      {"GET", "/", 200, "<form id=\"design-form\" action=\"/design\" method=\"get\""},
      {"GET", "/?wheel-load=80", 200, "value=\"80\""},
      {"GET", "/static/form.js", 200, "form.dataset"},
      {"GET", "/", 200, "data-comma=\"Use a decimal point: 72.5, not 72,5.\""},
      {"GET", "/static/style.css", 200, "@media print"},
      {"GET", std::string("/design?") + kWorkedExample, 200, "1 design case, all designed in full"},
      {"GET", std::string("/explain?") + kWorkedExample + "&span=1.500", 200, "1.500"},
      {"GET", "/nothing", 404, "There is no such page."},
      {"GET", "/static/../etc/passwd", 404, ""},
      {"GET", "/download/report.exe", 404, ""},
      {"POST", "/", 405, "GET only"},
      {"POST", "/design", 405, "GET only"},
      {"DELETE", "/download/report.rpt", 405, "GET only"},
      {"POST", "/nothing", 404, "There is no such page."},
  };
  // clang-format on
  for (const auto& [method, target, status, text] : cases) {
    httplib::Client client = Client();
    const httplib::Result result = method == "GET" ? client.Get(target.c_str())
                                   : method == "POST"
                                       ? client.Post(target.c_str(), "x", "text/plain")
                                       : client.Delete(target.c_str());
    ASSERT_TRUE(result) << method << " " << target;
    EXPECT_EQ(result->status, status) << method << " " << target;
    EXPECT_NE(result->body.find(text), std::string::npos) << method << " " << target;
    EXPECT_EQ(result->get_header_value("X-Content-Type-Options"), "nosniff") << target;
    EXPECT_NE(result->get_header_value("Content-Security-Policy").find("script-src 'self'"),
              std::string::npos)
        << target;
    if (status == 405) {
      EXPECT_EQ(result->get_header_value("Allow"), "GET, HEAD");
    }
  }
}

TEST_F(WebServerTest, EachValidationMessageBesideItsField) {
  // The query, the input whose message it is, and the message.
  // clang-format off
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"wheel-load=72,5&top-cover=50&paving=1.44&fs=170&fc=10", "wheel-load-1",
       "Use a decimal point: 72.5, not 72,5."},
      {"wheel-load=72.5&top-cover=50&top-cover=5O&paving=1.44&fs=170&fc=10", "top-cover-2",
       "Enter a number, such as 72.5."},
      {"wheel-load=72.5&top-cover=50&paving=-1&fs=170&fc=10", "paving-1", "Must not be negative."},
      {"wheel-load=72.5&top-cover=50&paving=1.44&fs=0&fc=10", "fs-1", "Must be above zero."},
      {"wheel-load=72.5&top-cover=50&paving=1.44&fs=170&fc=1e9999", "fc-1",
       "Too large: enter a finite number."},
      {"top-cover=50&paving=1.44&fs=170&fc=10", "wheel-load-1", "Enter at least one value."},
  };
  // clang-format on
  for (const auto& [query, input, message] : cases) {
    const httplib::Result result = Get("/design?" + query);
    ASSERT_TRUE(result) << query;
    EXPECT_EQ(result->status, 400) << query;
    const std::string placed =
        "id=\"" + input + "-message\" aria-live=\"polite\">" + message + "</span>";
    EXPECT_NE(result->body.find(placed), std::string::npos) << query;
    EXPECT_NE(result->body.find("id=\"" + input + "\""), std::string::npos);
  }
}

TEST_F(WebServerTest, MalformedAndHostileRequests) {
  // clang-format off
  const std::tuple<std::string, int, std::string> cases[] = {
      {"/design?wheel-load=%zz&top-cover=50&paving=1&fs=1&fc=1", 400, "two hex digits"},
      {"/design?wheel-load=1&top-cover=50&paving=1&fs=1&fc=1&path=/etc/passwd", 400,
       "Unknown field &quot;path&quot;."},
      {"/design?wheel-load=%3Cscript%3Ealert(1)%3C/script%3E&top-cover=1&paving=1&fs=1&fc=1", 400,
       "value=\"&lt;script&gt;alert(1)&lt;/script&gt;\""},
      {"/download/report.rpt?wheel-load=1&top-cover=50&paving=1&fs=1", 400,
       "Enter at least one value."},
      {"/explain?wheel-load=72.5&top-cover=50&paving=1.5&fs=165&fc=10&span=1.510", 400,
       "swept spans"},
      {"/design?wheel-load=1&wheel-load=2&wheel-load=3&wheel-load=4&wheel-load=5&wheel-load=6"
       "&top-cover=50&paving=1&fs=1&fc=1", 400, "At most 5 values."},
  };
  // clang-format on
  for (const auto& [target, status, text] : cases) {
    const httplib::Result result = Get(target);
    ASSERT_TRUE(result) << target;
    EXPECT_EQ(result->status, status) << target;
    EXPECT_NE(result->body.find(text), std::string::npos) << target;
    EXPECT_EQ(result->body.find("<script>alert"), std::string::npos) << target;
  }
}

TEST_F(WebServerTest, OversizedRequestsAndForeignHosts) {
  httplib::Client client = Client();
  const httplib::Result body =
      client.Post("/design", std::string(kMostRequestBytes + 1, 'x'), "text/plain");
  ASSERT_TRUE(body);
  EXPECT_EQ(body->status, 413);

  httplib::Headers many;
  for (int i = 0; i < 20; ++i) {
    many.emplace("X-Filler-" + std::to_string(i), std::string(4000, 'y'));
  }
  const httplib::Result headers = Client().Get("/", many);
  ASSERT_TRUE(headers);
  EXPECT_EQ(headers->status, 413);

  // A page asked for under another name (DNS rebinding) is refused; the
  // loopback names are served.
  const std::string port = std::to_string(server_->port());
  const std::pair<std::string, int> hosts[] = {
      {"attacker.example:" + port, 421},
      {"localhost:" + port, 200},
      {"127.0.0.1:" + port, 200},
      {"127.0.0.1:1", 421},
      {"[::1]:" + port, 200},
      {"10.0.0.1:" + port, 421},
  };
  for (const auto& [host, status] : hosts) {
    const httplib::Result result = Client().Get("/", {{"Host", host}});
    ASSERT_TRUE(result) << host;
    EXPECT_EQ(result->status, status) << host;
  }
}

TEST_F(WebServerTest, PageRowsAndDownloadEqualTheProgramsReport) {
  // The same values through the dialogue, under the same clock.
  const TempDir directory;
  const std::vector<std::vector<std::string>> lists = {
      {"72.5", "90"}, {"50"}, {"1.44"}, {"165", "170"}, {"10"}};
  const auto run = RunFixedClock(directory.path(), Answers("multi.rpt", lists, true));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string report = ReadFileBytes(directory.File("multi.rpt"));

  const std::string query =
      "wheel-load=72.5&wheel-load=90&top-cover=50&paving=1.44&fs=165&fs=170&fc=10&continuity=on";
  const httplib::Result page = Get("/design?" + query);
  ASSERT_TRUE(page);
  ASSERT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("4 design cases"), std::string::npos);
  EXPECT_EQ(PageRows(page->body), ReportRows(report));
  EXPECT_EQ(ReportRows(report).size(), 4U * 111U);
  // The links carry the clock reading of the page.
  std::string link = "/download/report.rpt?" + query + "&at=20261207140309";
  for (size_t at = link.find('&'); at != std::string::npos; at = link.find('&', at + 1)) {
    link.replace(at, 1, "&amp;");
  }
  EXPECT_NE(page->body.find(link), std::string::npos);

  const httplib::Result download = Get("/download/report.rpt?" + query + "&at=20261207140309");
  ASSERT_TRUE(download);
  ASSERT_EQ(download->status, 200);
  EXPECT_EQ(download->body, report);
  EXPECT_NE(download->get_header_value("Content-Disposition").find("attachment"),
            std::string::npos);
}

TEST_F(WebServerTest, TwentyConcurrentRequestsTwentyAnswers) {
  constexpr int kRequests = 20;
  std::vector<std::thread> clients;
  std::vector<std::string> bodies(kRequests);
  std::vector<int> statuses(kRequests, 0);
  for (int i = 0; i < kRequests; ++i) {
    clients.emplace_back([this, i, &bodies, &statuses] {
      const std::string load = std::to_string(50 + i);
      const httplib::Result result =
          Get("/design?wheel-load=" + load + "&top-cover=50&paving=1.44&fs=170&fc=10");
      if (result) {
        statuses[i] = result->status;
        bodies[i] = result->body;
      }
    });
  }
  for (std::thread& client : clients) {
    client.join();
  }
  for (int i = 0; i < kRequests; ++i) {
    EXPECT_EQ(statuses[i], 200) << i;
    EXPECT_NE(bodies[i].find("<dt>Wheel load P</dt><dd>" + std::to_string(50 + i) + " kN</dd>"),
              std::string::npos)
        << i;
    EXPECT_EQ(PageRows(bodies[i]).size(), 111U) << i;
  }
}

TEST_F(WebServerTest, LargeRunsShowTheFirstCasesOnly) {
  const httplib::Result result =
      Get("/design?wheel-load=60&wheel-load=70&wheel-load=80&top-cover=50&top-cover=60"
          "&paving=1&paving=1.5&paving=2&fs=170&fc=10");
  ASSERT_TRUE(result);
  ASSERT_EQ(result->status, 200);
  EXPECT_NE(result->body.find("18 design cases"), std::string::npos);
  EXPECT_EQ(PageRows(result->body).size(), 18U * 111U);

  const httplib::Result large =
      Get("/design?wheel-load=60&wheel-load=70&wheel-load=80&top-cover=50&top-cover=60"
          "&top-cover=70&paving=1&paving=1.5&paving=2&fs=170&fc=10");
  ASSERT_TRUE(large);
  ASSERT_EQ(large->status, 200);
  EXPECT_NE(large->body.find("27 design cases"), std::string::npos);
  EXPECT_NE(large->body.find("first 25 cases in full; all 27 are in the downloads"),
            std::string::npos);
  EXPECT_EQ(PageRows(large->body).size(), 25U * 111U);
}

TEST(WebServerLimits, ADesignOverItsTimeIsStopped) {
  WebServerOptions options;
  options.port = 0;
  options.readClock = [] { return kFixedClock; };
  options.designTimeLimit = std::chrono::milliseconds(0);
  WebServer server(options);
  std::string error;
  ASSERT_TRUE(server.Listen(error)) << error;
  std::thread runner([&server] { server.Run(); });
  httplib::Client client("127.0.0.1", server.port());
  const httplib::Result result = client.Get((std::string("/design?") + kWorkedExample).c_str());
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 503);
  server.Stop();
  runner.join();
}

// A design that ends in an exception (here the clock, read while the design
// holds its slot) is answered 500 and gives its slot back: with one slot, the
// next design of the same kind is served, not refused as busy.
TEST(WebServerLimits, AFailedDesignGivesItsSlotBack) {
  const std::vector<std::string> targets = {std::string("/design?") + kWorkedExample,
                                            std::string("/download/report.csv?") + kWorkedExample};
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    auto calls = std::make_shared<std::atomic<int>>(0);
    WebServerOptions options;
    options.port = 0;
    options.concurrentDesigns = 1;
    options.designWait = std::chrono::milliseconds(200);
    options.readClock = [calls] {
      if (calls->fetch_add(1) == 0) {
        throw std::bad_alloc();
      }
      return kFixedClock;
    };
    WebServer server(options);
    std::string error;
    ASSERT_TRUE(server.Listen(error)) << error;
    std::thread runner([&server] { server.Run(); });
    httplib::Client client("127.0.0.1", server.port());
    const httplib::Result failed = client.Get(target.c_str());
    const httplib::Result next = client.Get(target.c_str());
    server.Stop();
    runner.join();
    ASSERT_TRUE(failed && next);
    EXPECT_EQ(failed->status, 500);
    EXPECT_EQ(next->status, 200);
  }
}

TEST(WebServerLimits, AnAddressInUseIsRefused) {
  WebServerOptions options;
  options.port = 0;
  WebServer first(options);
  std::string error;
  ASSERT_TRUE(first.Listen(error)) << error;
  options.port = first.port();
  WebServer second(options);
  EXPECT_FALSE(second.Listen(error));
  EXPECT_FALSE(error.empty());
}

TEST_F(WebServerTest, ChartsWithUniqueIdsAndEveryDownload) {
  const std::string query = "wheel-load=72.5&wheel-load=90&top-cover=50&paving=1.44&fs=165&fc=10";
  const httplib::Result page = Get("/design?" + query);
  ASSERT_TRUE(page);
  ASSERT_EQ(page->status, 200);
  // One inline chart per case, without the XML declaration, and no element
  // id given twice on the page (the charts' glyphs would be mixed up).
  const std::string& html = page->body;
  EXPECT_EQ(html.find("<?xml"), std::string::npos);
  size_t charts = 0;
  for (size_t at = html.find("<figure class=\"chart\"><svg"); at != std::string::npos;
       at = html.find("<figure class=\"chart\"><svg", at + 1)) {
    ++charts;
  }
  EXPECT_EQ(charts, 2U);
  std::set<std::string> ids;
  const std::regex id(" id=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
       ++it) {
    EXPECT_TRUE(ids.insert((*it)[1].str()).second) << (*it)[1].str();
  }

  const httplib::Result pdf = Get("/download/report.pdf?" + query + "&at=20261207140309");
  ASSERT_TRUE(pdf);
  ASSERT_EQ(pdf->status, 200);
  EXPECT_EQ(pdf->get_header_value("Content-Type"), "application/pdf");
  EXPECT_EQ(pdf->body.compare(0, 5, "%PDF-"), 0);
  EXPECT_NE(pdf->body.find("%%EOF"), std::string::npos);

  // The text is the report with its first line feed dropped, CR LF as LF
  // and CR FF as LF FF; the table has its header and a row per span.
  const httplib::Result report = Get("/download/report.rpt?" + query + "&at=20261207140309");
  const httplib::Result text = Get("/download/report.txt?" + query + "&at=20261207140309");
  const httplib::Result csv = Get("/download/report.csv?" + query);
  ASSERT_TRUE(report && text && csv);
  ASSERT_EQ(text->status, 200);
  std::string expected = report->body.substr(1);
  for (size_t at = expected.find('\r'); at != std::string::npos; at = expected.find('\r', at)) {
    expected.replace(at, 2, expected[at + 1] == '\f' ? "\n\f" : "\n");
  }
  EXPECT_EQ(text->body, expected);
  ASSERT_EQ(csv->status, 200);
  size_t lines = 0;
  for (size_t at = csv->body.find("\r\n"); at != std::string::npos;
       at = csv->body.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 1U + 2U * 111U);
}
