// The web server through a real HTTP client on a free port of the loopback
// interface, with the clock fixed.

#include "web/web_server.h"

#include <gtest/gtest.h>

#include "driver/full_program_parts.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/support/run_binary.h"
#include "tests/web/http_test_client.h"

using namespace kalvorden;
using kalvorden::testing::HttpGet;
using kalvorden::testing::HttpReply;
using kalvorden::testing::HttpTestConnection;
using kalvorden::testing::ReadFileBytes;
using kalvorden::testing::RunFixedClock;
using kalvorden::testing::TempDir;

namespace {

// The fixed clock of the end-to-end tests: 07-DEC-26 14:03:09.
constexpr LocalDateTime kFixedClock = {2026, 12, 7, 14, 3, 9};
constexpr const char* kWorkedExample = "wheel-load=72.5&top-cover=50&paving=1.5&fs=165&fc=10";
// The largest run the page takes: five values in each list, 3125 cases.
constexpr const char* kLargestRun =
    "wheel-load=60&wheel-load=70&wheel-load=80&wheel-load=90&wheel-load=100"
    "&top-cover=50&top-cover=60&top-cover=65&top-cover=70&top-cover=75"
    "&paving=1&paving=1.5&paving=2&paving=2.5&paving=3"
    "&fs=150&fs=160&fs=170&fs=180&fs=190&fc=8&fc=9&fc=10&fc=11&fc=12";

// A server on a free port of the loopback interface, serving on a thread of
// its own from construction to destruction, with the clock fixed unless the
// options bring one.
class RunningServer {
 public:
  explicit RunningServer(WebServerOptions options) {
    options.address = "127.0.0.1";
    options.port = 0;
    if (!options.readClock) {
      options.readClock = [] { return kFixedClock; };
    }
    options.outputs = OutputFactory(FullProgramParts().outputs);
    server_ = std::make_unique<WebServer>(options);
    std::string error;
    listening_ = server_->Listen(error);
    EXPECT_TRUE(listening_) << error;
    if (listening_) {
      runner_ = std::thread([this] { server_->Run(); });
    }
  }
  ~RunningServer() {
    server_->Stop();
    if (runner_.joinable()) {
      runner_.join();
    }
  }
  RunningServer(const RunningServer&) = delete;
  RunningServer& operator=(const RunningServer&) = delete;

  int port() const { return server_->port(); }
  HttpReply Get(const std::string& target, const std::vector<std::string>& fields = {}) const {
    return HttpGet(port(), target, fields);
  }

 private:
  std::unique_ptr<WebServer> server_;
  bool listening_ = false;
  std::thread runner_;
};

class WebServerTest : public ::testing::Test {
 protected:
  HttpReply Get(const std::string& target, const std::vector<std::string>& fields = {}) const {
    return server_.Get(target, fields);
  }
  int port() const { return server_.port(); }

  RunningServer server_{WebServerOptions{}};
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
  // The cases' tables only, not the comparison's.
  for (size_t at = html.find("<table class=\"rows\">"); at != std::string::npos;
       at = html.find("<table class=\"rows\">", at + 1)) {
    const std::string table = html.substr(at, html.find("</table>", at) - at);
    for (auto it = std::sregex_iterator(table.begin(), table.end(), row);
         it != std::sregex_iterator(); ++it) {
      // The report's cells, without the check as built that follows them.
      const std::string cells = (*it)[1].str();
      rows.push_back(
          std::regex_replace(cells.substr(0, cells.find("<td class=\"checks\">")), tag, ""));
    }
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
      {"GET", "/", 200, "<form id=\"rating-form\" action=\"/rate\" method=\"get\""},
      {"GET", "/rate?thickness=0", 400, "thickness &quot;0&quot;: must be above zero"},
      {"GET", "/rate/download/rating.csv?span=9", 400, "item 1 must be 0.610 to 7.315 m"},
      {"POST", "/rate", 405, "GET only"},
      {"GET", "/nothing", 404, "There is no such page."},
      {"GET", "/static/../etc/passwd", 404, ""},
      {"GET", "/download/report.exe", 404, ""},
      {"POST", "/", 405, "GET only"},
      {"POST", "/design", 405, "GET only"},
      {"DELETE", "/download/report.rpt", 405, "GET only"},
      {"POST", "/nothing", 404, "There is no such page."},
      {"BREW", "/", 405, "GET only"},
      {"PUT", "/static/form.js", 405, "GET only"},
  };
  // clang-format on
  for (const auto& [method, target, status, text] : cases) {
    const HttpReply result = HttpGet(port(), target, {}, method);
    ASSERT_TRUE(result.complete) << method << " " << target;
    EXPECT_EQ(result.status, status) << method << " " << target;
    EXPECT_NE(result.body.find(text), std::string::npos) << method << " " << target;
    EXPECT_EQ(result.Header("X-Content-Type-Options"), "nosniff") << target;
    EXPECT_NE(result.Header("Content-Security-Policy").find("script-src 'self'"), std::string::npos)
        << target;
    if (status == 405) {
      EXPECT_EQ(result.Header("Allow"), "GET, HEAD");
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
    const HttpReply result = Get("/design?" + query);
    ASSERT_TRUE(result.complete) << query;
    EXPECT_EQ(result.status, 400) << query;
    const std::string placed =
        "id=\"" + input + "-message\" aria-live=\"polite\">" + message + "</span>";
    EXPECT_NE(result.body.find(placed), std::string::npos) << query;
    EXPECT_NE(result.body.find("id=\"" + input + "\""), std::string::npos);
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
      {"/explain?wheel-load=72.5&top-cover=50&paving=1.5&fs=165&fc=10&span=3.760", 400,
       "from 1.000 to 3.750 m"},
      {"/design?wheel-load=1&wheel-load=2&wheel-load=3&wheel-load=4&wheel-load=5&wheel-load=6"
       "&top-cover=50&paving=1&fs=1&fc=1", 400, "At most 5 values."},
      {"/?wheel-load=%FF%00x", 200, "value=\"\xEF\xBF\xBD\xEF\xBF\xBDx\""},
  };
  // clang-format on
  for (const auto& [target, status, text] : cases) {
    const HttpReply result = Get(target);
    ASSERT_TRUE(result.complete) << target;
    EXPECT_EQ(result.status, status) << target;
    EXPECT_NE(result.body.find(text), std::string::npos) << target;
    EXPECT_EQ(result.body.find("<script>alert"), std::string::npos) << target;
  }
}

TEST_F(WebServerTest, UnreadableAndOversizedRequests) {
  // The request, and the status it is refused with; a request the server
  // could not read to its end closes the connection.
  const std::string portText = std::to_string(port());
  const std::string host = "Host: 127.0.0.1:" + portText + "\r\n";
  std::string manyFields = "GET / HTTP/1.1\r\n" + host;
  for (int i = 0; i < 20; ++i) {
    manyFields += "X-Filler-" + std::to_string(i) + ": " + std::string(4000, 'y') + "\r\n";
  }
  const std::pair<std::string, int> cases[] = {
      {"POST /design HTTP/1.1\r\n" + host + "Content-Length: 65537\r\n\r\n" +
           std::string(65537, 'x'),
       413},
      {"POST /design HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n10000\r\n" +
           std::string(65536, 'x') + "\r\n0\r\n\r\n",
       413},
      {manyFields + "\r\n", 413},
      {"GET /?" + std::string(9000, 'a') + " HTTP/1.1\r\n" + host + "\r\n", 414},
      {"GET / HTTP/1.1\r\n" + host + host + "\r\n", 400},
      {"GET / HTTP/1.1\r\nHost: 127.0.0.1:" + portText + "\r\nContent-Length: x\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\n\r\n", 421},
  };
  for (const auto& [request, status] : cases) {
    HttpTestConnection connection(port());
    connection.Send(request);
    const HttpReply reply = connection.Read();
    ASSERT_TRUE(reply.complete) << request.substr(0, 40);
    EXPECT_EQ(reply.status, status) << request.substr(0, 40);
    EXPECT_EQ(reply.Header("Connection"), status == 421 ? "" : "close") << request.substr(0, 40);
    EXPECT_EQ(reply.Header("X-Frame-Options"), "DENY") << request.substr(0, 40);
  }
}

// A page asked for under another name (DNS rebinding) or on behalf of
// another site is refused; the server's own names are served, in any case.
TEST_F(WebServerTest, ForeignHostsAndCrossSiteRequests) {
  const std::string portText = std::to_string(port());
  const std::string design = std::string("/download/report.csv?") + kWorkedExample;
  // The target, the fields sent, and the status.
  // clang-format off
  const std::tuple<std::string, std::vector<std::string>, int> cases[] = {
      {"/", {"Host: attacker.example:" + portText}, 421},
      {"/", {"Host: LOCALHOST:" + portText}, 200},
      {design, {"Origin: http://evil.example", "Sec-Fetch-Site: cross-site"}, 403},
      {design, {"Origin: http://evil.example"}, 403},
      {"/rate/download/rating.csv?span=2.4", {"Sec-Fetch-Site: cross-site"}, 403},
      {design, {"Origin: http://127.0.0.1:" + portText, "Sec-Fetch-Site: same-origin"}, 200},
      {design, {"Sec-Fetch-Site: none"}, 200},
  };
  // clang-format on
  for (const auto& [target, fields, status] : cases) {
    const HttpReply reply = Get(target, fields);
    ASSERT_TRUE(reply.complete) << fields[0];
    EXPECT_EQ(reply.status, status) << fields[0];
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
  const HttpReply page = Get("/design?" + query);
  ASSERT_TRUE(page.complete);
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("4 design cases"), std::string::npos);
  EXPECT_EQ(PageRows(page.body), ReportRows(report));
  EXPECT_EQ(ReportRows(report).size(), 4U * 111U);
  // Each case says which spans fail which check as built; each row carries its own.
  EXPECT_NE(page.body.find("Checked as built (the row's slab at its actual thickness, method "
                           "manual section 18): fails thickness at 1.000 to "),
            std::string::npos);
  EXPECT_NE(page.body.find("<td class=\"checks\">thickness</td></tr>"), std::string::npos);
  EXPECT_NE(page.body.find("<td class=\"checks\">OK</td></tr>"), std::string::npos);
  // The links carry the clock reading of the page.
  std::string link = "/download/report.rpt?" + query + "&at=20261207140309";
  for (size_t at = link.find('&'); at != std::string::npos; at = link.find('&', at + 1)) {
    link.replace(at, 1, "&amp;");
  }
  EXPECT_NE(page.body.find(link), std::string::npos);

  const HttpReply download = Get("/download/report.rpt?" + query + "&at=20261207140309");
  ASSERT_TRUE(download.complete);
  ASSERT_EQ(download.status, 200);
  EXPECT_EQ(download.body, report);
  EXPECT_NE(download.Header("Content-Disposition").find("attachment"), std::string::npos);
}

// The page's project file, run by the program, gives the very report the
// page offers for download (the clock from the link's at=, the fixed clock
// of the program); the page marks each case's governing row and shows the
// identity escaped.
TEST_F(WebServerTest, ProjectFileRunsToThePagesReport) {
  const std::string query = std::string(kWorkedExample) +
                            "&wheel-load=100&continuity=on&span=2.91&title=Deck%20%3Cslab%3E"
                            "&designer=J%C3%BCrgen&at=20261207140309";
  const HttpReply page = Get("/design?" + query);
  ASSERT_TRUE(page.complete);
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("Deck &lt;slab&gt;"), std::string::npos);
  EXPECT_NE(page.body.find("/download/project.toml?"), std::string::npos);
  const std::regex governing("<tr class=\"governing\"><td>  <a [^>]*>([0-9.]+)</a>");
  std::vector<std::string> marked;
  for (auto it = std::sregex_iterator(page.body.begin(), page.body.end(), governing);
       it != std::sregex_iterator(); ++it) {
    marked.push_back((*it)[1].str());
  }
  EXPECT_EQ(marked, (std::vector<std::string>{"2.925", "2.925"}));
  // Each case's chart marks that row too: it differs from the chart of the
  // same values without a span.
  const HttpReply unmarked =
      Get("/design?" + std::regex_replace(query, std::regex("&span=2.91"), ""));
  ASSERT_EQ(unmarked.status, 200);
  const auto firstChart = [](const std::string& body) {
    const size_t begin = body.find("<svg");
    return begin == std::string::npos ? std::string()
                                      : body.substr(begin, body.find("</svg>", begin) - begin);
  };
  EXPECT_FALSE(firstChart(page.body).empty());
  EXPECT_NE(firstChart(page.body), firstChart(unmarked.body));

  const HttpReply project = Get("/download/project.toml?" + query);
  ASSERT_TRUE(project.complete);
  ASSERT_EQ(project.status, 200);
  EXPECT_EQ(project.Header("Content-Type"), "application/toml");
  EXPECT_EQ(project.Header("Content-Disposition"), "attachment; filename=\"Deck-slab.toml\"");
  EXPECT_NE(project.body.find("designer = \"J\xC3\xBCrgen\"\n"), std::string::npos);
  EXPECT_NE(project.body.find("span = 2.91\n"), std::string::npos);
  const HttpReply report = Get("/download/report.rpt?" + query);
  ASSERT_TRUE(report.complete);
  ASSERT_EQ(report.status, 200);
  EXPECT_EQ(report.Header("Content-Disposition"), "attachment; filename=\"Deck-slab.rpt\"");

  const TempDir dir;
  kalvorden::testing::WriteFileBytes(dir.File("p.toml"), project.body);
  const kalvorden::testing::RunResult run = kalvorden::testing::RunFixedClockWith(
      dir.path(), {"--project", "p.toml", "--output", "r.rpt"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), report.body);

  const HttpReply refused = Get("/download/project.toml?wheel-load=-1");
  ASSERT_TRUE(refused.complete);
  EXPECT_EQ(refused.status, 400);
}

// A saved project file opened in the page: its bytes posted, as the file
// itself or a form's upload, answered with the design's link for its values.
TEST_F(WebServerTest, APostedProjectFileOpensItsDesign) {
  const std::string file =
      "[project]\nbridge = \"12/345\"\n[design]\nwheel-load = [72.5, 1e2]\ntop-cover = [50]\n"
      "paving = [1.5]\nfs = [165]\nfc = [10]\nspan = 2.91\n";
  const std::string link =
      "/design?wheel-load=72.5&wheel-load=100&top-cover=50&paving=1.5&fs=165&fc=10&bridge=12%2F345"
      "&span=2.91";
  const auto part = [](const std::string& headers, const std::string& bytes) {
    return "--XyZ\r\n" + headers + "\r\n\r\n" + bytes + "\r\n";
  };
  const std::string multipart = "multipart/form-data; boundary=XyZ";
  const std::string filePart =
      part("Content-Disposition: form-data; name=\"project\"; filename=\"p.toml\"", file);
  // clang-format off
  const struct { std::string type, body, origin; int status; std::string text; } cases[] = {
      {"application/toml", file, "", 303, ""},
      {multipart, filePart + "--XyZ--\r\n", "", 303, ""},
      {"multipart/form-data; boundary=\"XyZ\"", filePart + "--XyZ--", "", 303, ""},
      {"application/toml", "[design]\nwheel_load = [1]\n", "", 400, "the project file"},
      {multipart, filePart + part("Content-Disposition: form-data; name=\"x\"", "1") + "--XyZ--",
       "", 400, "one file and nothing else"},
      {multipart, part("Content-Disposition: form-data; name=\"x\"", file) + "--XyZ--", "", 400,
       "one file and nothing else"},
      {multipart, filePart, "", 400, "has no end"},
      {multipart, "--XyZ\r\nContent-Disposition: form-data; filename=\"p\"\r\n", "", 400,
       "no end to its header"},
      {"multipart/form-data", filePart + "--XyZ--", "", 400, "no boundary"},
      {multipart, "", "", 400, "no part"},
      {"text/plain", file, "", 415, "application/toml"},
      {"application/toml", file, "http://evil.example", 403, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    HttpTestConnection connection(port());
    std::string request = "POST /project HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port()) +
                          "\r\nContent-Type: " + c.type +
                          "\r\nContent-Length: " + std::to_string(c.body.size()) +
                          "\r\nConnection: close\r\n";
    if (!c.origin.empty()) {
      request += "Origin: " + c.origin + "\r\n";
    }
    ASSERT_TRUE(connection.Send(request + "\r\n" + c.body)) << c.type;
    const HttpReply reply = connection.Read();
    ASSERT_TRUE(reply.complete) << c.type << " " << c.body;
    EXPECT_EQ(reply.status, c.status) << c.type << " " << c.body;
    EXPECT_NE(reply.body.find(c.text), std::string::npos) << reply.body;
    if (c.status == 303) {
      EXPECT_EQ(reply.Header("Location"), link);
    }
  }
  const HttpReply design = Get(link);
  EXPECT_EQ(design.status, 200);
  EXPECT_EQ(Get("/project").status, 405);
  EXPECT_NE(Get("/").body.find("<form class=\"open-project\" method=\"post\" action=\"/project\""),
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
      const HttpReply result =
          Get("/design?wheel-load=" + load + "&top-cover=50&paving=1.44&fs=170&fc=10");
      statuses[i] = result.status;
      bodies[i] = result.body;
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
  const HttpReply result =
      Get("/design?wheel-load=60&wheel-load=70&wheel-load=80&top-cover=50&top-cover=60"
          "&paving=1&paving=1.5&paving=2&fs=170&fc=10");
  ASSERT_TRUE(result.complete);
  ASSERT_EQ(result.status, 200);
  EXPECT_NE(result.body.find("18 design cases"), std::string::npos);
  EXPECT_EQ(PageRows(result.body).size(), 18U * 111U);

  const HttpReply large =
      Get("/design?wheel-load=60&wheel-load=70&wheel-load=80&top-cover=50&top-cover=60"
          "&top-cover=70&paving=1&paving=1.5&paving=2&fs=170&fc=10");
  ASSERT_TRUE(large.complete);
  ASSERT_EQ(large.status, 200);
  EXPECT_NE(large.body.find("27 design cases"), std::string::npos);
  EXPECT_NE(large.body.find("first 25 cases in full; all 27 are in the downloads"),
            std::string::npos);
  EXPECT_EQ(PageRows(large.body).size(), 25U * 111U);
  EXPECT_NE(large.body.find("the 25 lightest of 27 cases; the PDF download compares them all"),
            std::string::npos);
}

// A run of four cases: the page compares them, lightest first, in the order
// the CSV download's steel column at 3.750 m gives (equal figures in case
// order), each linked to its case, and names the lightest case of a span.
TEST_F(WebServerTest, ComparisonOfFourCasesRanksAsTheCsv) {
  const std::string query =
      "wheel-load=72.5&wheel-load=90&top-cover=50&paving=1.44&fs=165&fs=170&fc=10&continuity=on";
  const HttpReply page = Get("/design?" + query);
  ASSERT_TRUE(page.complete);
  ASSERT_EQ(page.status, 200);
  const std::string& html = page.body;
  const size_t section = html.find("<h2 id=\"comparison-title\">Comparison of the cases</h2>");
  ASSERT_NE(section, std::string::npos);
  EXPECT_LT(section, html.find("<section class=\"case\""));

  const HttpReply csv = Get("/download/report.csv?" + query + "&at=20261207140309");
  ASSERT_TRUE(csv.complete);
  std::vector<std::pair<std::string, int>> atLastSpan;  // steel "20.17" as 2017, case
  std::istringstream records(csv.body);
  for (std::string record; std::getline(records, record);) {
    if (record.find(",3.750,") != std::string::npos) {
      std::vector<std::string> fields;
      std::istringstream split(record);
      for (std::string field; std::getline(split, field, ',');) {
        fields.push_back(field);
      }
      ASSERT_EQ(fields.size(), 31U) << record;
      fields[24].erase(fields[24].find('.'), 1);
      atLastSpan.emplace_back(fields[24], std::stoi(fields[0]));
    }
  }
  ASSERT_EQ(atLastSpan.size(), 4U);
  std::stable_sort(atLastSpan.begin(), atLastSpan.end(), [](const auto& a, const auto& b) {
    return std::stoi(a.first) < std::stoi(b.first);
  });
  size_t at = section;
  for (size_t rank = 0; rank < atLastSpan.size(); ++rank) {
    const std::string number = std::to_string(atLastSpan[rank].second);
    const std::string row = "<tr><td>" + std::to_string(rank + 1) + "</td><td><a href=\"#case-" +
                            number + "\">" + number + "</a></td>";
    at = html.find(row, at);
    ASSERT_NE(at, std::string::npos) << "rank " << rank + 1 << ": case " << number;
  }
  const std::string lightestLast = std::to_string(atLastSpan.front().second);
  EXPECT_NE(html.find("<tr><td>3.750</td><td><a href=\"#case-" + lightestLast + "\">"),
            std::string::npos);
}

TEST(WebServerLimits, ADesignOverItsTimeIsStopped) {
  WebServerOptions options;
  options.designTimeLimit = std::chrono::milliseconds(0);
  const RunningServer server(options);
  const HttpReply result = server.Get(std::string("/design?") + kWorkedExample);
  ASSERT_TRUE(result.complete);
  EXPECT_EQ(result.status, 503);
}

// A design that ends in an exception (here the clock, read while the design
// holds its worker) is answered 500 and gives its worker back: with one
// worker, the next design of the same kind is served, not refused as busy.
TEST(WebServerLimits, AFailedDesignGivesItsWorkerBack) {
  const std::vector<std::string> targets = {std::string("/design?") + kWorkedExample,
                                            std::string("/download/report.csv?") + kWorkedExample};
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    auto calls = std::make_shared<std::atomic<int>>(0);
    WebServerOptions options;
    options.limits.concurrentDesigns = 1;
    options.limits.designWait = std::chrono::milliseconds(200);
    options.readClock = [calls] {
      if (calls->fetch_add(1) == 0) {
        throw std::bad_alloc();
      }
      return kFixedClock;
    };
    const RunningServer server(options);
    const HttpReply failed = server.Get(target);
    const HttpReply next = server.Get(target);
    ASSERT_TRUE(failed.complete && next.complete);
    EXPECT_EQ(failed.status, 500);
    EXPECT_EQ(next.status, 200);
  }
}

// A clock that holds the design that reads it until the test lets it go
// (or a minute has passed): a design worker kept busy for as long as the
// test needs, without a long design.
class HeldClock {
 public:
  LocalDateTime Read() {
    std::unique_lock lock(mutex_);
    ++readers_;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::minutes(1), [this] { return released_; });
    return kFixedClock;
  }
  void WaitForReaders(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::minutes(1), [&] { return readers_ >= count; });
  }
  void Release() {
    const std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int readers_ = 0;
  bool released_ = false;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// With every design worker busy, a design that cannot start within the
// wait is answered 503 with Retry-After just after it, and the cheap pages
// and refusals are answered at once all the while.
TEST(WebServerLimits, BusyDesignsAreRefusedInTimeAndCheapPagesStillAnswer) {
  auto clock = std::make_shared<HeldClock>();
  WebServerOptions options;
  options.limits.concurrentDesigns = 1;
  options.limits.designWait = std::chrono::milliseconds(500);
  options.readClock = [clock] { return clock->Read(); };
  const RunningServer server(options);
  const std::string design = std::string("/design?") + kWorkedExample;
  HttpReply held;
  std::thread holder([&] { held = server.Get(design); });
  clock->WaitForReaders(1);

  const auto start = std::chrono::steady_clock::now();
  const HttpReply busy = server.Get(design);
  const double waited = SecondsSince(start);
  EXPECT_EQ(busy.status, 503);
  EXPECT_EQ(busy.Header("Retry-After"), "5");
  EXPECT_GE(waited, 0.5);
  EXPECT_LT(waited, 1.5);
  for (const std::string target : {"/", "/static/style.css", "/design?fc=x", "/nothing"}) {
    const auto asked = std::chrono::steady_clock::now();
    const HttpReply cheap = server.Get(target);
    EXPECT_TRUE(cheap.complete) << target;
    EXPECT_LT(SecondsSince(asked), 0.5) << target;
  }
  clock->Release();
  holder.join();
  EXPECT_EQ(held.status, 200);
}

// Many clients that send their request a byte at a time hold a connection
// each, never a thread: a probe is answered at once all the while, and each
// of them is answered 408 once the request time is over, however steadily
// it trickles.
TEST(WebServerLimits, TricklingClientsHoldNeitherTheServerNorTheirConnections) {
  constexpr int kTricklers = 100;
  WebServerOptions options;
  options.limits.requestTime = std::chrono::milliseconds(1500);
  const RunningServer server(options);
  std::vector<std::unique_ptr<HttpTestConnection>> tricklers;
  for (int i = 0; i < kTricklers; ++i) {
    tricklers.push_back(std::make_unique<HttpTestConnection>(server.port()));
  }
  const std::string request = "GET / HTTP/1.1\r\nX-Slow: " + std::string(100, 'z');
  const auto start = std::chrono::steady_clock::now();
  double slowestProbe = 0;
  for (size_t sent = 0; sent < 10; ++sent) {
    for (const auto& trickler : tricklers) {
      trickler->Send(request.substr(sent, 1));
    }
    const auto asked = std::chrono::steady_clock::now();
    const HttpReply probe = server.Get("/");
    EXPECT_EQ(probe.status, 200);
    slowestProbe = std::max(slowestProbe, SecondsSince(asked));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_LT(slowestProbe, 0.5);
  int timedOut = 0;
  for (const auto& trickler : tricklers) {
    const HttpReply reply = trickler->Read(std::chrono::seconds(3));
    timedOut += reply.status == 408 ? 1 : 0;
  }
  EXPECT_EQ(timedOut, kTricklers);
  EXPECT_LT(SecondsSince(start), 1.5 + 2.0);
}

// Three requests in one packet, the first a design that is answered after
// the cheap ones could be: the answers come in the order asked.
TEST_F(WebServerTest, PipelinedRequestsAreAnsweredInOrder) {
  const std::string host = "Host: 127.0.0.1:" + std::to_string(port()) + "\r\n\r\n";
  HttpTestConnection connection(port());
  connection.Send("GET /design?" + std::string(kWorkedExample) + " HTTP/1.1\r\n" + host +
                  "GET /static/style.css HTTP/1.1\r\n" + host + "HEAD / HTTP/1.1\r\n" + host +
                  "GET /static/form.js HTTP/1.1\r\n" + host);
  const HttpReply design = connection.Read();
  const HttpReply style = connection.Read();
  const HttpReply head = connection.Read(std::chrono::seconds(60), true);
  const HttpReply script = connection.Read();
  EXPECT_NE(design.body.find("1 design case"), std::string::npos);
  EXPECT_NE(style.body.find("@media print"), std::string::npos);
  EXPECT_EQ(head.status, 200);
  EXPECT_NE(head.Header("Content-Length"), "0");
  EXPECT_NE(script.body.find("form.dataset"), std::string::npos);
}

// A Range field is not honoured: the whole file comes, with status 200 and
// its true length, whatever range is asked for.
TEST_F(WebServerTest, RangesAreAnsweredWithTheWholeFile) {
  const std::string target = std::string("/download/report.rpt?") + kWorkedExample;
  const HttpReply whole = Get(target);
  for (const std::string range : {"bytes=999999999-", "bytes=0-9", "bytes=-5", "bytes=x"}) {
    const HttpReply ranged = Get(target, {"Range: " + range});
    ASSERT_TRUE(ranged.complete) << range;
    EXPECT_EQ(ranged.status, 200) << range;
    EXPECT_EQ(ranged.Header("Content-Length"), std::to_string(whole.body.size())) << range;
    EXPECT_EQ(ranged.Header("Content-Range"), "") << range;
    EXPECT_EQ(ranged.body, whole.body) << range;
  }
}

// A client that leaves while its design runs stops it: with one worker, a
// 3125-case PDF abandoned after a moment leaves the worker free for the
// next request well before the PDF could have been finished, and nothing
// in the scratch directory.
TEST(WebServerLimits, ADesignWhoseClientHasGoneIsStopped) {
  const TempDir scratch;
  WebServerOptions options;
  options.limits.concurrentDesigns = 1;
  options.limits.designWait = std::chrono::seconds(3);
  options.scratchBase = scratch.path();
  const RunningServer server(options);
  {
    HttpTestConnection leaving(server.port());
    leaving.Send(std::string("GET /download/report.pdf?") + kLargestRun +
                 " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  const HttpReply next = server.Get(std::string("/design?") + kWorkedExample);
  EXPECT_EQ(next.status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  size_t left = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch.path())) {
    left += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(left, 0U);
}

// A scratch directory removed while the server runs (a cleaner of /tmp) is
// made again, private, for the next download; a link planted in its place
// is not followed.
TEST(WebServerLimits, AScratchDirectoryRemovedIsMadeAgain) {
  const TempDir base;
  const TempDir elsewhere;
  WebServerOptions options;
  options.scratchBase = base.path();
  const RunningServer server(options);
  const std::string download = std::string("/download/report.csv?") + kWorkedExample;
  ASSERT_EQ(server.Get(download).status, 200);
  const std::filesystem::path room = std::filesystem::directory_iterator(base.path())->path();
  // Whether to plant a link, and the status of the download that follows.
  for (const auto& [planted, status] : {std::pair{false, 200}, std::pair{true, 500}}) {
    std::filesystem::remove_all(room);
    if (planted) {
      std::filesystem::create_directory_symlink(elsewhere.path(), room);
    }
    const HttpReply reply = server.Get(download);
    EXPECT_EQ(reply.status, status) << planted;
    EXPECT_EQ(std::filesystem::is_empty(elsewhere.path()), true);
    if (!planted) {
      EXPECT_EQ(std::filesystem::status(room).permissions(), std::filesystem::perms::owner_all);
    }
  }
}

// A client that sends its request in full and then ends its side of the
// connection is still answered, pages, sheets and downloads alike.
TEST_F(WebServerTest, HalfClosedClientsAreAnswered) {
  const std::string host = "Host: 127.0.0.1:" + std::to_string(port()) + "\r\n";
  for (const std::string& target :
       {std::string("/design?") + kWorkedExample,
        std::string("/download/report.csv?") + kWorkedExample,
        std::string("/explain?") + kWorkedExample + "&span=1.500", std::string("/")}) {
    for (const std::string version : {"HTTP/1.0", "HTTP/1.1"}) {
      HttpTestConnection connection(port());
      connection.Send("GET " + target + " " + version + "\r\n" + host + "\r\n");
      connection.EndSending();
      const HttpReply reply = connection.Read(std::chrono::seconds(30));
      EXPECT_TRUE(reply.complete) << target << " " << version;
      EXPECT_EQ(reply.status, 200) << target << " " << version;
    }
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
  const HttpReply page = Get("/design?" + query);
  ASSERT_TRUE(page.complete);
  ASSERT_EQ(page.status, 200);
  // One inline chart per case and the comparison's, without the XML
  // declaration, and no element id given twice on the page (the charts'
  // glyphs would be mixed up).
  const std::string& html = page.body;
  EXPECT_EQ(html.find("<?xml"), std::string::npos);
  size_t charts = 0;
  for (size_t at = html.find("<figure class=\"chart\"><svg"); at != std::string::npos;
       at = html.find("<figure class=\"chart\"><svg", at + 1)) {
    ++charts;
  }
  EXPECT_EQ(charts, 3U);
  std::set<std::string> ids;
  const std::regex id(" id=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
       ++it) {
    EXPECT_TRUE(ids.insert((*it)[1].str()).second) << (*it)[1].str();
  }

  const HttpReply pdf = Get("/download/report.pdf?" + query + "&at=20261207140309");
  ASSERT_TRUE(pdf.complete);
  ASSERT_EQ(pdf.status, 200);
  EXPECT_EQ(pdf.Header("Content-Type"), "application/pdf");
  EXPECT_EQ(pdf.body.compare(0, 5, "%PDF-"), 0);
  EXPECT_NE(pdf.body.find("%%EOF"), std::string::npos);

  // The text is the report with its first line feed dropped, CR LF as LF
  // and CR FF as LF FF; the table has its header and a row per span.
  const HttpReply report = Get("/download/report.rpt?" + query + "&at=20261207140309");
  const HttpReply text = Get("/download/report.txt?" + query + "&at=20261207140309");
  const HttpReply csv = Get("/download/report.csv?" + query);
  ASSERT_TRUE(report.complete && text.complete && csv.complete);
  ASSERT_EQ(text.status, 200);
  std::string expected = report.body.substr(1);
  for (size_t at = expected.find('\r'); at != std::string::npos; at = expected.find('\r', at)) {
    expected.replace(at, 2, expected[at + 1] == '\f' ? "\n\f" : "\n");
  }
  EXPECT_EQ(text.body, expected);
  ASSERT_EQ(csv.status, 200);
  size_t lines = 0;
  for (size_t at = csv.body.find("\r\n"); at != std::string::npos;
       at = csv.body.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 1U + 2U * 111U);
}
