#include "project/project_writer.h"

#include <sstream>

#include <toml++/toml.h>

#include "numeric/decimal.h"

namespace kalvorden {
namespace {

// A TOML basic string ("..."), escaped by the TOML library: quotes,
// backslashes and any control character; other characters stay as UTF-8.
std::string TomlString(const std::string& text) {
  std::ostringstream out;
  out << toml::toml_formatter{toml::value<std::string>(text),
                              toml::format_flags::allow_unicode_strings};
  return out.str();
}

// A value as a TOML number. The shortest exact decimal is already TOML but
// for a whole number beyond a 64-bit integer, which TOML cannot hold as an
// integer: it is written with ".0", a float, whose text is read exactly.
std::string TomlNumber(Quad value) {
  std::string text = FullDecimal(value, FullDecimalUse::kWeb);
  constexpr size_t kSafeIntegerDigits = 18;
  if (text.find_first_of(".eE") == std::string::npos &&
      text.size() - (text[0] == '-' ? 1 : 0) > kSafeIntegerDigits) {
    text += ".0";
  }
  return text;
}

// [project] with the identity texts that are not empty.
std::string IdentityTable(const ProjectIdentity& identity) {
  std::string text = "[project]\n";
  for (const IdentityFieldInfo& field : IdentityFields()) {
    const std::string& value = identity.*(field.member);
    if (!value.empty()) {
      text += std::string(field.name) + " = " + TomlString(value) + "\n";
    }
  }
  return text;
}

// The value of a rating field as the [rating] table's reader takes it back:
// a number, a bar's designation as a whole number, the spans as a list. A
// span (0.610 to 7.315 m) is never a whole number too long for TOML.
std::string RatingValueText(const RatingFieldInfo& field, const RatingInputs& in) {
  switch (field.rule) {
    case RatingRule::kBar:
      return RatingFieldText(field, in, FullDecimalUse::kWeb);
    case RatingRule::kSpans:
      return "[" + RatingFieldText(field, in, FullDecimalUse::kWeb, ", ") + "]";
    default:
      return TomlNumber(RatingQuantity(field, in));
  }
}

}  // namespace

std::string RatingProjectFileText(const RatingRequest& rating) {
  std::string text = "# A KALVORDEN rating: kalvorden rate --project FILE rates the slab.\n\n" +
                     IdentityTable(rating.identity) + "\n[rating]\n";
  const RatingEntry& entry = rating.entry;
  for (const RatingFieldInfo& field : RatingFields()) {
    if (entry.given[static_cast<size_t>(&field - RatingFields().data())]) {
      text += std::string(field.name) + " = " + RatingValueText(field, entry.inputs) + "\n";
    }
  }
  // Always written: a rating has its continuity answer whether a door was
  // given it or took the default (not continuous), and the file says which.
  text += std::string("continuity = ") + (entry.inputs.continuous ? "true" : "false") + "\n";
  return text;
}

std::string ProjectFileText(const RunRequest& project) {
  std::string text =
      "# A KALVORDEN project: kalvorden --project FILE --output REPORT designs it.\n\n" +
      IdentityTable(project.identity) + "\n[design]\n";
  for (const ValueListInfo& list : ValueLists()) {
    const ValueList& values = project.lists[static_cast<size_t>(list.id)];
    text += std::string(list.name) + " = [";
    for (int32_t i = 0; i < values.count; ++i) {
      text += i == 0 ? "" : ", ";
      text += TomlNumber(values.values[static_cast<size_t>(i)]);
    }
    text += "]\n";
  }
  text += std::string("continuity = ") + (project.continuity ? "true" : "false") + "\n";
  if (!project.span.empty()) {
    text += "span = " + project.span + "\n";
  }
  if (project.adopt != 0) {
    text += "adopt = " + std::to_string(project.adopt) + "\n";
  }
  return text;
}

}  // namespace kalvorden
