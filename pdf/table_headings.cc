#include "pdf/table_headings.h"

#include <algorithm>

#include "chart/chart_panel.h"

namespace kalvorden {

TableHeadings::~TableHeadings() {
  for (Page& known : pages_) {
    if (known.form != nullptr) {
      cairo_surface_destroy(known.form);
    }
  }
}

bool TableHeadings::Holds(const Page& known, const std::vector<std::string>& lines) const {
  for (size_t i = 0; i < known.shared.size(); ++i) {
    if (known.shared[i] && (i >= lines.size() || lines[i] != known.first[i])) {
      return false;
    }
  }
  return true;
}

void TableHeadings::Show(PdfDocument& document, size_t page, const std::vector<std::string>& lines,
                         int32_t firstRow, double left, double top, double characterPitch,
                         double linePitch, const std::function<void(cairo_t*)>& drawShared) {
  cairo_t* cr = document.cr();
  const auto showAll = [&]() {
    cairo_save(cr);
    drawShared(cr);
    cairo_restore(cr);
    document.ShowMonospacedLines(lines, left, top, characterPitch, linePitch);
  };
  if (page >= pages_.size()) {
    showAll();
    return;
  }
  Page& known = pages_[page];
  ++known.casesSeen;
  if (known.casesSeen == 1) {
    known.first = lines;
  } else if (known.casesSeen == 2) {
    const size_t above =
        std::min({static_cast<size_t>(std::max(firstRow, 0)), lines.size(), known.first.size()});
    known.shared.assign(above, false);
    bool any = false;
    for (size_t i = 0; i < above; ++i) {
      known.shared[i] =
          lines[i] == known.first[i] && lines[i].find_first_not_of(' ') != std::string::npos;
      any = any || known.shared[i];
    }
    known.first.resize(above);
    if (any) {
      std::vector<bool> unshared(known.shared.size());
      std::transform(known.shared.begin(), known.shared.end(), unshared.begin(),
                     [](bool shared) { return !shared; });
      const PaperGeometry geometry = document.page();
      // What every sheet has besides, then the lines in the font selected on
      // the sheet, black, each where the sheet would set it.
      known.form =
          DrawToRecording({0, 0, geometry.width, geometry.height}, cr, [&](cairo_t* recording) {
            cairo_save(recording);
            drawShared(recording);
            cairo_restore(recording);
            cairo_set_font_face(recording, cairo_get_font_face(cr));
            cairo_matrix_t matrix;
            cairo_get_font_matrix(cr, &matrix);
            cairo_set_font_matrix(recording, &matrix);
            cairo_set_source_rgb(recording, 0, 0, 0);
            document.ShowMonospacedLines(known.first, left, top, characterPitch, linePitch,
                                         &unshared, recording);
          });
    }
  }
  if (known.form == nullptr || !Holds(known, lines)) {
    showAll();
    return;
  }
  cairo_save(cr);
  cairo_set_source_surface(cr, known.form, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  document.ShowMonospacedLines(lines, left, top, characterPitch, linePitch, &known.shared);
}

}  // namespace kalvorden
