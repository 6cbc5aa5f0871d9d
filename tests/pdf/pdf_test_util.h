#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/page_frame.h"
#include "pdf/pdf_output.h"
#include "tests/design/design_run.h"
#include "tests/support/run_binary.h"

// A tool's standard output (the tool must succeed).
inline std::string Tool(const std::string& binary, std::vector<std::string> arguments,
                        const std::string& directory) {
  const kalvorden::testing::RunResult result =
      kalvorden::testing::RunBinary(binary, {std::move(arguments), directory, "", -1});
  EXPECT_EQ(result.exitStatus, 0) << binary << ": " << result.err;
  return result.out;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream stream(line);
  for (std::string word; stream >> word;) {
    words.push_back(word);
  }
  return words;
}

// The text of each page, as `pdftotext -layout` gives it (a form feed ends
// every page).
inline std::vector<std::string> PageTexts(const std::string& pdf, const std::string& directory) {
  const std::string text = Tool("/usr/bin/pdftotext", {"-layout", pdf, "-"}, directory);
  std::vector<std::string> pages;
  size_t at = 0;
  for (size_t end; (end = text.find('\f', at)) != std::string::npos; at = end + 1) {
    pages.push_back(text.substr(at, end - at));
  }
  return pages;
}

// The bookmarks: each title with the page (from 1) it leads to, nested ones
// included. qpdf writes an outline's destination before its kids and its
// title after them.
inline std::map<std::string, int> Bookmarks(const std::string& pdf, const std::string& directory) {
  const std::string json =
      Tool("/usr/bin/qpdf", {"--json=2", "--json-key=outlines", pdf}, directory);
  std::map<std::string, int> bookmarks;
  std::vector<int> pages;
  const std::string pageKey = "\"destpageposfrom1\": ";
  const std::string titleKey = "\"title\": \"";
  size_t at = 0;
  while (true) {
    const size_t page = json.find(pageKey, at);
    const size_t title = json.find(titleKey, at);
    if (page == std::string::npos && title == std::string::npos) {
      return bookmarks;
    }
    if (page < title) {
      pages.push_back(
          static_cast<int>(std::strtol(json.c_str() + page + pageKey.size(), nullptr, 10)));
      at = page + 1;
    } else {
      const size_t begin = title + titleKey.size();
      const std::string name = json.substr(begin, json.find('"', begin) - begin);
      bookmarks[name] = pages.empty() ? -1 : pages.back();
      if (!pages.empty()) {
        pages.pop_back();
      }
      at = begin;
    }
  }
}

// The box of every word of every page, in points from the page's top left
// corner, as `pdftotext -bbox` gives them, with the page's size.
struct WordBox {
  int page = 0;  // from 1
  std::string word;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  double pageWidth = 0, pageHeight = 0;
};

inline double Attribute(const std::string& line, const std::string& name) {
  const size_t at = line.find(name + "=\"");
  return at == std::string::npos ? -1 : std::strtod(line.c_str() + at + name.size() + 2, nullptr);
}

inline std::vector<WordBox> WordBoxes(const std::string& pdf, const std::string& directory) {
  std::vector<WordBox> boxes;
  int page = 0;
  double width = 0;
  double height = 0;
  for (const std::string& line :
       Lines(Tool("/usr/bin/pdftotext", {"-bbox", pdf, "-"}, directory))) {
    if (line.find("<page ") != std::string::npos) {
      ++page;
      width = Attribute(line, "width");
      height = Attribute(line, "height");
    } else if (line.find("<word ") != std::string::npos) {
      const size_t begin = line.find('>') + 1;
      boxes.push_back({page, line.substr(begin, line.find("</word>") - begin),
                       Attribute(line, "xMin"), Attribute(line, "yMin"), Attribute(line, "xMax"),
                       Attribute(line, "yMax"), width, height});
    }
  }
  return boxes;
}

// The words whose box comes closer than `margin` points to an edge of its
// page, each as "page 3: word".
inline std::vector<std::string> WordsNearTheEdge(const std::vector<WordBox>& boxes, double margin) {
  std::vector<std::string> near;
  for (const WordBox& box : boxes) {
    if (box.xMin < margin || box.yMin < margin || box.xMax > box.pageWidth - margin ||
        box.yMax > box.pageHeight - margin) {
      near.push_back("page " + std::to_string(box.page) + ": " + box.word);
    }
  }
  return near;
}

// The run's clock reading: 07-DEC-26 14:03:09.
inline const kalvorden::LocalDateTime kNow = {2026, 12, 7, 14, 3, 9};

inline kalvorden::OutputSettings SettingsOf(kalvorden::PaperSize paper) {
  kalvorden::OutputSettings settings;
  settings.now = kNow;
  settings.paper = paper;
  return settings;
}

// Writes the PDF of every case of `inputs` to `path`; the failure's number,
// 0 when done, and its line in `message`.
inline int WritePdf(const kalvorden::DesignInputs& inputs, const std::string& path,
                    const kalvorden::OutputSettings& settings, std::string* message = nullptr) {
  kalvorden::PdfOutput pdf(settings);
  bool done = true;
  if (const int failure = pdf.BeginPending(path, true); failure != 0) {
    if (message != nullptr) {
      *message = path + ": " + std::strerror(failure);
    }
    return 74;
  }
  done = pdf.Start(inputs);
  const auto cases = DesignAll(inputs);
  if (pdf.wantsSurvey()) {
    for (const auto& designed : cases) {
      pdf.Survey(*designed);
    }
  }
  for (const auto& designed : cases) {
    done = done && pdf.Write(*designed);
  }
  done = done && pdf.Finish() && pdf.file()->Commit();
  if (!done) {
    pdf.Abandon();
  }
  if (message != nullptr) {
    *message = kalvorden::FormatFault(pdf.failure());
  }
  return pdf.failure().number;
}

// A cairo context to measure with, DejaVu Sans at 9 pt selected.
class Measure {
 public:
  Measure()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1)), cr_(cairo_create(surface_)) {
    cairo_select_font_face(cr_, kalvorden::kSansFont, CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, 9);
  }
  ~Measure() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;
  cairo_t* cr() const { return cr_; }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};
