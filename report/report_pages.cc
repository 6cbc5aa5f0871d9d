#include "report/report_pages.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "numeric/quad_ops.h"
#include "report/record_layout.h"
#include "report/report_row.h"

namespace kalvorden {
namespace {

// The page tops lie at span 1.0 and in the open intervals around 2.0 and 3.0
// given by these widened single-precision bounds.
constexpr Quad kFirstPageTop = 1;
constexpr Quad kSecondPageAbove = Widen(1.98f);  // 1.980000019073486328125
constexpr Quad kSecondPageBelow = Widen(2.01f);  // 2.0099999904632568359375
constexpr Quad kThirdPageAbove = Widen(2.98f);   // 2.980000019073486328125
constexpr Quad kThirdPageBelow = Widen(3.01f);   // 3.0099999904632568359375

constexpr ReportLine kHeaderLine3 =
    MakeReportLine("           HOLMBRACKEN                                     ");
constexpr ReportLine kTitle =
    MakeReportLine("         SERVICE LOAD DESIGN OF BRIDGE SLAB (METRIC)       ");
constexpr ReportLine kRevision =
    MakeReportLine("                  REVISED:  JUNE 30, 2008                  ");
constexpr ReportLine kRule =
    MakeReportLine("===========================================================");
constexpr ReportLine kCaseHead1 =
    MakeReportLine("  WHEEL                         SLAB    FUTURE   CONTINUITY");
constexpr ReportLine kCaseHead2 =
    MakeReportLine("  LOAD     fc       fs      n   COVER   PAVING     FACTOR  ");
constexpr ReportLine kCaseHead3 =
    MakeReportLine("  (kN)    (MPa)    (MPa)        (mm)   (kN/m^2)            ");
constexpr ReportLine kRowHead1 =
    MakeReportLine("                                            DISTRUBUTION   ");
constexpr ReportLine kRowHead2 =
    MakeReportLine("EFFECTIVE                     SIZE AND      REINFORCEMENT  ");
constexpr ReportLine kRowHead3 =
    MakeReportLine("  SPAN     SLAB THICKNESS  SPACING OF MAIN  MIDDLE  OUTER  ");
constexpr ReportLine kRowHead4 =
    MakeReportLine(" LENGTH    MINIMUM ACTUAL   REINFORCEMENT    HALF  QUARTERS");
constexpr ReportLine kRowHead5 =
    MakeReportLine("   (m)      (mm)    (mm)            (mm)                   ");

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

void PutTwoDigits(int value, char* at) {
  const int v = ((value % 100) + 100) % 100;
  at[0] = static_cast<char>('0' + v / 10);
  at[1] = static_cast<char>('0' + v % 10);
}

constexpr std::string_view kPage1Footer = "Page 1 of 3";
constexpr std::string_view kPage2Footer = "Page 2 of 3";
constexpr std::string_view kPage3Footer = "Page 3 of 3";

// The heading group takes 14 texts while 15 follow the first, so each
// heading layout runs past its end once: that puts an empty line between the
// last two row-head lines and a line of 11 blanks after the last one.
constexpr LayoutStep kHeadingGroup[] = {Skip(12), Text(), RecordBreak()};

constexpr LayoutStep kFirstPageHeading[] = {
    Literal("0"), Skip(12), Text(), RecordBreak(), Group(14, kHeadingGroup),
};

constexpr LayoutStep kPageBreak[] = {
    RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(),
    RecordBreak(), RecordBreak(), Skip(40),      Text(),        RecordBreak(),
    Literal("1"),  Skip(12),      Text(),        RecordBreak(), Group(14, kHeadingGroup),
};

constexpr LayoutStep kFinalFooter[] = {
    RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(),
    RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(),
    RecordBreak(), RecordBreak(), Skip(40),      Text(),
};

// The page-break layout is given the label of the page that ends, then the
// sixteen heading texts; the first-page heading only the heading texts.
void LayOutHeading(ReportFile& file, const ReportWriter& writer, std::string_view endingPageLabel) {
  const std::string_view texts[] = {
      endingPageLabel,
      View(writer.headerLine1),
      View(writer.headerLine2),
      View(kHeaderLine3),
      View(kTitle),
      View(kRevision),
      View(kRule),
      View(kCaseHead1),
      View(kCaseHead2),
      View(kCaseHead3),
      View(writer.caseLine),
      View(kRule),
      View(kRowHead1),
      View(kRowHead2),
      View(kRowHead3),
      View(kRowHead4),
      View(kRowHead5),
  };
  if (endingPageLabel.empty()) {
    WriteLayout(file, kFirstPageHeading, std::span(texts).subspan(1));
  } else {
    WriteLayout(file, kPageBreak, texts);
  }
}

}  // namespace

// A page top's records (control character and printed line) differ from
// page to page only in the case line, which every layout places whole, at
// a fixed column of a fixed record. So each is laid out once, with a case
// line of a character no heading holds to find where it lands, and written
// again for every page with the case line copied in.
struct PageHeadings {
  struct Heading {
    std::vector<std::string> records;
    size_t caseRecord = 0;  // the record that holds the case line
    size_t caseColumn = 0;  // where in it the case line begins
  };
  ReportLine headerLine1{};
  ReportLine headerLine2{};
  Heading first;       // a case's first page
  Heading afterFirst;  // its second, after the footer of the first
  Heading afterSecond;
};

namespace {

constexpr char kCaseLineMark = '\x01';

PageHeadings::Heading LayOutOnce(const ReportWriter& writer, std::string_view endingPageLabel) {
  PageHeadings::Heading heading;
  const RecordSink records = [&](char control, std::string_view printed) {
    heading.records.push_back(control + std::string(printed));
  };
  ReportWriter marked;
  marked.headerLine1 = writer.headerLine1;
  marked.headerLine2 = writer.headerLine2;
  marked.caseLine.fill(kCaseLineMark);
  BeginReportRecords(marked.file, records);
  LayOutHeading(marked.file, marked, endingPageLabel);
  CloseReport(marked.file);
  for (size_t i = 0; i < heading.records.size(); ++i) {
    const size_t column = heading.records[i].find(kCaseLineMark);
    if (column != std::string::npos) {
      heading.caseRecord = i;
      heading.caseColumn = column;
    }
  }
  return heading;
}

// The writer's page tops, laid out again only when its heading lines have
// changed since they were.
const PageHeadings& HeadingsOf(ReportWriter& writer) {
  if (writer.headings == nullptr || writer.headings->headerLine1 != writer.headerLine1 ||
      writer.headings->headerLine2 != writer.headerLine2) {
    auto headings = std::make_shared<PageHeadings>();
    headings->headerLine1 = writer.headerLine1;
    headings->headerLine2 = writer.headerLine2;
    headings->first = LayOutOnce(writer, {});
    headings->afterFirst = LayOutOnce(writer, kPage1Footer);
    headings->afterSecond = LayOutOnce(writer, kPage2Footer);
    writer.headings = std::move(headings);
  }
  return *writer.headings;
}

void WriteHeading(ReportWriter& writer, const PageHeadings::Heading& heading) {
  for (size_t i = 0; i < heading.records.size(); ++i) {
    if (i != heading.caseRecord) {
      WriteRecord(writer.file, heading.records[i]);
      continue;
    }
    // No layout makes a record longer (record_layout.cc clips there).
    char record[160];
    const std::string& marked = heading.records[i];
    const size_t length = std::min(marked.size(), sizeof record);
    std::copy_n(marked.data(), length, record);
    std::copy_n(writer.caseLine.data(), std::min<size_t>(kLineWidth, length - heading.caseColumn),
                record + heading.caseColumn);
    WriteRecord(writer.file, std::string_view(record, length));
  }
}

// Which page of its case, if any, the row of span length S begins.
enum class PageTop : uint8_t { kNone, kFirst, kSecond, kThird };

// Asked for every row, so on the bits: for values that are neither negative
// nor NaN, binary128 order is the order of the bit patterns read as unsigned
// integers. Every bound is positive; a negative value (-0 included) or a NaN
// has bits above those of +infinity and lies in no page's interval.
PageTop PageTopOf(Quad s) {
  using quad_detail::Bits;
  const quad_detail::U128 bits = Bits(s);
  if (bits == Bits(kFirstPageTop)) {
    return PageTop::kFirst;
  }
  if (Bits(kSecondPageAbove) < bits && bits < Bits(kSecondPageBelow)) {
    return PageTop::kSecond;
  }
  if (Bits(kThirdPageAbove) < bits && bits < Bits(kThirdPageBelow)) {
    return PageTop::kThird;
  }
  return PageTop::kNone;
}

}  // namespace

void StampHeaderLines(ReportWriter& writer, const LocalDateTime& now) {
  char* date = writer.headerLine1.data();
  PutTwoDigits(now.day, date);
  date[2] = '-';
  const int month = (now.month >= 1 && now.month <= 12) ? now.month : 1;
  std::memcpy(date + 3, kMonths[month - 1], 3);
  date[6] = '-';
  PutTwoDigits(now.year, date + 7);

  char* time = writer.headerLine2.data() + 1;
  PutTwoDigits(now.hour, time);
  time[2] = ':';
  PutTwoDigits(now.minute, time + 3);
  time[5] = ':';
  PutTwoDigits(now.second, time + 6);
}

bool ReportSpan(ReportWriter& writer, const SpanDesign& span, const DesignCase& designCase) {
  const PageTop top = PageTopOf(span.spanLength);
  const bool pageTop = top != PageTop::kNone;
  if (pageTop) {
    FillCaseLine(writer, designCase);
    // A later page starts with the footer of the page that ends.
    const PageHeadings& headings = HeadingsOf(writer);
    WriteHeading(writer, top == PageTop::kFirst    ? headings.first
                         : top == PageTop::kSecond ? headings.afterFirst
                                                   : headings.afterSecond);
  }
  WriteRow(writer, span);
  return pageTop;
}

void WriteFinalFooter(ReportWriter& writer) {
  const std::string_view texts[] = {kPage3Footer};
  WriteLayout(writer.file, kFinalFooter, texts);
}

}  // namespace kalvorden
