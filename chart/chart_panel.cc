#include "chart/chart_panel.h"

#include <cairo-svg.h>
#include <algorithm>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace kalvorden {

void SetColour(cairo_t* cr, Colour colour) {
  cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

double TextWidthOf(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t extents{};
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

void ShowText(cairo_t* cr, double x, double y, const std::string& text, double alignX) {
  cairo_move_to(cr, x - alignX * TextWidthOf(cr, text), y);
  cairo_show_text(cr, text.c_str());
}

TextRun::~TextRun() {
  if (font_ != nullptr) {
    cairo_scaled_font_destroy(font_);
  }
}

void TextRun::Add(cairo_t* cr, double x, double y, std::string_view text, double alignX) {
  if (text.empty()) {
    return;  // as cairo_show_text, which shows nothing
  }
  const std::string piece(text);
  cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
  // x less nothing is x: the width is measured only to move the start.
  cairo_move_to(cr, alignX == 0 ? x : x - alignX * TextWidthOf(cr, piece), y);
  if (font_ != nullptr && font != font_) {
    cairo_show_text(cr, piece.c_str());
    return;
  }
  // From the current point, as cairo_show_text sets its glyphs: cairo keeps
  // it in its fixed point (1/256 of a unit).
  double startX = x;
  double startY = y;
  cairo_get_current_point(cr, &startX, &startY);
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  cairo_text_cluster_t* clusters = nullptr;
  int clusterCount = 0;
  cairo_text_cluster_flags_t flags{};
  const cairo_status_t status = cairo_scaled_font_text_to_glyphs(
      font, startX, startY, piece.data(), static_cast<int>(piece.size()), &glyphs, &glyphCount,
      &clusters, &clusterCount, &flags);
  if (status == CAIRO_STATUS_SUCCESS && flags == 0) {
    if (font_ == nullptr) {
      font_ = cairo_scaled_font_reference(font);
    }
    text_ += piece;
    glyphs_.insert(glyphs_.end(), glyphs, glyphs + glyphCount);
    clusters_.insert(clusters_.end(), clusters, clusters + clusterCount);
  } else {
    // Clusters read backward cannot follow another piece's.
    cairo_show_text(cr, piece.c_str());
  }
  cairo_glyph_free(glyphs);
  cairo_text_cluster_free(clusters);
}

void TextRun::Show(cairo_t* cr) {
  if (!glyphs_.empty()) {
    cairo_show_text_glyphs(cr, text_.data(), static_cast<int>(text_.size()), glyphs_.data(),
                           static_cast<int>(glyphs_.size()), clusters_.data(),
                           static_cast<int>(clusters_.size()), cairo_text_cluster_flags_t{});
  }
  text_.clear();
  glyphs_.clear();
  clusters_.clear();
  if (font_ != nullptr) {
    cairo_scaled_font_destroy(font_);
    font_ = nullptr;
  }
}

void SetStroke(cairo_t* cr, const Stroke& stroke) {
  static constexpr double kDashed[] = {5, 2.5};
  static constexpr double kDotted[] = {1.2, 2};
  static constexpr double kDashDot[] = {6, 2.5, 1.2, 2.5};
  static constexpr double kLongDash[] = {10, 3};
  static constexpr double kGoverning[] = {9, 2.5, 2, 2.5};
  SetColour(cr, stroke.colour);
  cairo_set_line_width(cr, stroke.width);
  switch (stroke.dash) {
    case Dash::kSolid:
      cairo_set_dash(cr, nullptr, 0, 0);
      break;
    case Dash::kDashed:
      cairo_set_dash(cr, kDashed, 2, 0);
      break;
    case Dash::kDotted:
      cairo_set_dash(cr, kDotted, 2, 0);
      break;
    case Dash::kDashDot:
      cairo_set_dash(cr, kDashDot, 4, 0);
      break;
    case Dash::kLongDash:
      cairo_set_dash(cr, kLongDash, 2, 0);
      break;
    case Dash::kGoverningRow:
      cairo_set_dash(cr, kGoverning, 4, 0);
      break;
  }
}

void DrawMarker(cairo_t* cr, double x, double y, Marker marker) {
  if (marker == Marker::kNone) {
    return;  // not even an empty stroke, which a PDF analyses as any other
  }
  constexpr double r = 2.6;
  cairo_save(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_line_width(cr, 1);
  cairo_new_path(cr);
  switch (marker) {
    case Marker::kNone:
      break;
    case Marker::kCircle:
      cairo_arc(cr, x, y, r, 0, 2 * std::numbers::pi);
      break;
    case Marker::kSquare:
      cairo_rectangle(cr, x - r, y - r, 2 * r, 2 * r);
      break;
    case Marker::kTriangle:
      cairo_move_to(cr, x, y - r * 1.2);
      cairo_line_to(cr, x + r * 1.1, y + r * 0.8);
      cairo_line_to(cr, x - r * 1.1, y + r * 0.8);
      cairo_close_path(cr);
      break;
    case Marker::kCross:
      cairo_move_to(cr, x - r, y - r);
      cairo_line_to(cr, x + r, y + r);
      cairo_move_to(cr, x - r, y + r);
      cairo_line_to(cr, x + r, y - r);
      break;
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void DrawStrokeSample(cairo_t* cr, double x, double baseline, double length, const Stroke& stroke) {
  SetStroke(cr, stroke);
  cairo_move_to(cr, x, baseline - 3);
  cairo_line_to(cr, x + length, baseline - 3);
  cairo_stroke(cr);
  DrawMarker(cr, x + length / 2, baseline - 3, stroke.marker);
  cairo_set_dash(cr, nullptr, 0, 0);
}

void DrawSpanLine(cairo_t* cr, const Box& frame, double x, const Stroke& stroke) {
  SetStroke(cr, stroke);
  cairo_move_to(cr, x, frame.top);
  cairo_line_to(cr, x, frame.bottom);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

std::string TickLabel(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

int Axis::Steps() const {
  return static_cast<int>(std::lround((high - low) / step));
}

Axis NiceAxis(double low, double high) {
  if (!(high > low)) {
    low -= 5;
    high += 5;
  }
  const double rough = (high - low) / 6;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= rough) {
      break;
    }
  }
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

void DrawFrame(cairo_t* cr, const Panel& panel, const std::string& axisTitle) {
  const Box& frame = panel.frame;
  cairo_set_line_width(cr, 0.5);
  cairo_set_font_size(cr, kChartLabelSize);
  for (int i = 0; i <= panel.axis.Steps(); ++i) {
    const double value = panel.axis.low + i * panel.axis.step;
    SetColour(cr, kGrid);
    cairo_move_to(cr, frame.left, panel.Y(value));
    cairo_line_to(cr, frame.right, panel.Y(value));
    cairo_stroke(cr);
    SetColour(cr, kInk);
    ShowText(cr, frame.left - kValueLabelGap, panel.Y(value) + 3, TickLabel(value), 1);
  }
  DrawSpanFrame(cr, frame, axisTitle);
}

// The lines one path, stroked once: they never cross, so the page is the
// same as with a stroke for each, and a chart sheet's PDF has one stroke
// where it had one a line (the panels never overlap).
void DrawValueGrid(cairo_t* cr, std::span<const Panel> panels) {
  cairo_set_line_width(cr, 0.5);
  SetColour(cr, kGrid);
  for (const Panel& panel : panels) {
    for (int i = 0; i <= panel.axis.Steps(); ++i) {
      const double value = panel.axis.low + i * panel.axis.step;
      cairo_move_to(cr, panel.frame.left, panel.Y(value));
      cairo_line_to(cr, panel.frame.right, panel.Y(value));
    }
  }
  cairo_stroke(cr);
}

void DrawValueLabels(cairo_t* cr, const Panel& panel) {
  cairo_set_font_size(cr, kChartLabelSize);
  SetColour(cr, kInk);
  TextRun labels;
  for (int i = 0; i <= panel.axis.Steps(); ++i) {
    const double value = panel.axis.low + i * panel.axis.step;
    labels.Add(cr, panel.frame.left - kValueLabelGap, panel.Y(value) + 3, TickLabel(value), 1);
  }
  labels.Show(cr);
}

// The span grid one path and its labels one run, after it: the lines never
// cross and the labels stand below the frame, so the pixels are those of a
// stroke and a label at a time. The labels go into the run half the axis
// apart one after the other (1.00, 2.50, 1.25, 2.75 ...): the file then
// places each by a move of the text line (Td) rather than as an adjustment
// in thousandths of the type size after the one before (TJ), which would
// shift it by up to 0.004 pt; a reader laying the page out as text puts
// each where it stood when each label was placed on its own.
void DrawSpanFrame(cairo_t* cr, const Box& frame, const std::string& axisTitle) {
  const Panel panel = {frame, {}};
  cairo_set_line_width(cr, 0.5);
  cairo_set_font_size(cr, kChartLabelSize);
  const int spanSteps =
      static_cast<int>(std::lround((kLastSpanMetres - kFirstSpanMetres) / kSpanTick));
  SetColour(cr, kGrid);
  for (int i = 0; i <= spanSteps; ++i) {
    const double span = kFirstSpanMetres + i * kSpanTick;
    cairo_move_to(cr, panel.X(span), frame.top);
    cairo_line_to(cr, panel.X(span), frame.bottom);
  }
  cairo_stroke(cr);
  SetColour(cr, kInk);
  TextRun labels;
  const int half = (spanSteps + 2) / 2;
  for (int k = 0; k <= spanSteps; ++k) {
    const int i = k % 2 == 0 ? k / 2 : half + k / 2;
    const double span = kFirstSpanMetres + i * kSpanTick;
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", span);
    labels.Add(cr, panel.X(span), frame.bottom + kSpanLabelBelow, text, 0.5);
  }
  labels.Show(cr);
  cairo_set_line_width(cr, 0.8);
  cairo_rectangle(cr, frame.left, frame.top, frame.Width(), frame.Height());
  cairo_stroke(cr);
  ShowText(cr, (frame.left + frame.right) / 2, frame.bottom + kSpanTitleBelow, "span S (m)", 0.5);
  cairo_save(cr);
  // Turned a quarter, the title runs along the frame's height: a panel
  // lower than its title gets it in smaller type.
  const double titleWidth = TextWidthOf(cr, axisTitle);
  if (titleWidth > frame.Height() && titleWidth > 0) {
    cairo_set_font_size(cr, kChartLabelSize * std::max(0.0, frame.Height()) / titleWidth);
  }
  cairo_move_to(cr, kAxisTitleBaseline, (frame.top + frame.bottom) / 2);
  cairo_rotate(cr, -std::numbers::pi / 2);
  cairo_rel_move_to(cr, -TextWidthOf(cr, axisTitle) / 2, 0);
  cairo_show_text(cr, axisTitle.c_str());
  cairo_restore(cr);
}

namespace {

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool DrawToSvg(double width, double height, const std::function<void(cairo_t*)>& draw,
               std::string& svgOut) {
  svgOut.clear();
  cairo_surface_t* surface =
      cairo_svg_surface_create_for_stream(AppendToString, &svgOut, width, height);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) {
    status = cairo_surface_status(surface);
  }
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    svgOut.clear();
    return false;
  }
  return true;
}

cairo_surface_t* DrawToRecording(const cairo_rectangle_t& extents, cairo_t* fontsOf,
                                 const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  cairo_t* recording = cairo_create(surface);
  if (fontsOf != nullptr) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_surface_get_font_options(cairo_get_target(fontsOf), options);
    cairo_set_font_options(recording, options);
    cairo_font_options_destroy(options);
  }
  draw(recording);
  const bool drawn = cairo_status(recording) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(recording);
  if (!drawn || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return surface;
}

}  // namespace kalvorden
