#pragma once

// The lines every case's table sheets print the same: the report's heading
// block but for the case's own values (the department, the run's date and
// time, the title, the column heads). A 3125-case package set some 500 of
// its glyphs again on each of its 9375 table sheets, about a tenth of its
// time; they are drawn once into a form per page of a case, with the note
// every table sheet carries, which each sheet whose lines are the same
// paints, and the sheet shows its own lines as before.

#include <cairo.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pdf/pdf_document.h"
#include "report/case_pages.h"

namespace kalvorden {

class TableHeadings {
 public:
  TableHeadings() = default;
  TableHeadings(const TableHeadings&) = delete;
  TableHeadings& operator=(const TableHeadings&) = delete;
  ~TableHeadings();

  // Shows `lines`, page `page` (from 0) of a case whose rows begin at line
  // `firstRow`, as PdfDocument::ShowMonospacedLines would. The lines shared
  // are learnt from the first two cases: those above the rows that stand
  // the same in both and show something. A later sheet paints them from the
  // form only when it has every one of them, the same, at the same line;
  // any other sheet shows all its lines itself. `drawShared` draws what
  // every table sheet has the same besides (a note), into the form with the
  // lines, or on the sheet with them.
  void Show(PdfDocument& document, size_t page, const std::vector<std::string>& lines,
            int32_t firstRow, double left, double top, double characterPitch, double linePitch,
            const std::function<void(cairo_t*)>& drawShared);

 private:
  struct Page {
    int32_t casesSeen = 0;
    std::vector<std::string> first;  // the first case's lines, then the shared ones
    std::vector<bool> shared;
    cairo_surface_t* form = nullptr;  // null: none learnt, or the recording failed
  };
  bool Holds(const Page& known, const std::vector<std::string>& lines) const;

  std::array<Page, kPagesPerCase> pages_;
};

}  // namespace kalvorden
