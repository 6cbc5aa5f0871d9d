#include "project/project_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include <toml++/toml.h>

#include "project/toml_screen.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

constexpr std::string_view kProjectTable = "project";
constexpr std::string_view kDesignTable = "design";
constexpr std::string_view kRatingTable = "rating";
constexpr std::string_view kContinuityKey = "continuity";
constexpr std::string_view kSpanKey = "span";
constexpr std::string_view kAdoptKey = "adopt";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A place in the file as the TOML library counts it: lines and characters
// (code points, after a byte-order mark), from 1.
struct Place {
  uint32_t line = 1;
  uint32_t column = 1;
};

Place PlaceOf(const toml::source_region& region) {
  return {region.begin.line, region.begin.column};
}

struct FoundFault {
  Place place;
  std::string detail;
};

// The TOML library's words may quote the file's bytes: every byte that is
// not printable ASCII is written as \xHH, so the line cannot carry a control
// sequence to the terminal.
std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

Fault FileFault(const std::string& name, Place place, std::string detail) {
  return {kFaultProjectFile, "project file " + QuoteName(name),
          "line " + std::to_string(place.line) + ", column " + std::to_string(place.column),
          std::move(detail)};
}

// What a value that is not the kind asked for is: "a text".
std::string KindOf(const toml::node& node) {
  if (node.is_string()) {
    return "a text";
  }
  if (node.is_boolean()) {
    return "true or false";
  }
  if (node.is_array()) {
    return "a list";
  }
  if (node.is_table()) {
    return "a table";
  }
  return "a date or time";
}

// The key among `keys` that an unknown `name` was probably meant to be:
// alike once case and '_' for '-' are set aside ("Wheel_Load"), or one slip
// of the fingers away (a letter added, lost, changed or two swapped; two
// slips in a key of more than four letters), with no other key as near.
// Empty when there is none: naming a guess that is no better than another
// would mislead.
std::string_view LikelyKey(std::string_view name, const std::vector<std::string_view>& keys) {
  std::string typed;
  for (const char c : name) {
    typed += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  // Edit distance with adjacent transpositions, over a full table: keys and
  // names here are a few letters long.
  const auto distance = [&typed](std::string_view key) {
    std::vector<std::vector<size_t>> d(typed.size() + 1, std::vector<size_t>(key.size() + 1));
    for (size_t i = 0; i <= typed.size(); ++i) {
      for (size_t k = 0; k <= key.size(); ++k) {
        if (i == 0 || k == 0) {
          d[i][k] = i + k;
          continue;
        }
        d[i][k] = std::min({d[i - 1][k] + 1, d[i][k - 1] + 1,
                            d[i - 1][k - 1] + (typed[i - 1] == key[k - 1] ? 0 : 1)});
        if (i > 1 && k > 1 && typed[i - 1] == key[k - 2] && typed[i - 2] == key[k - 1]) {
          d[i][k] = std::min(d[i][k], d[i - 2][k - 2] + 1);
        }
      }
    }
    return d[typed.size()][key.size()];
  };
  std::string_view nearest;
  size_t least = 0;
  bool tie = false;
  for (const std::string_view key : keys) {
    const size_t apart = distance(key);
    if (nearest.empty() || apart < least) {
      nearest = key;
      least = apart;
      tie = false;
    } else if (apart == least) {
      tie = true;
    }
  }
  const size_t allowed = nearest.size() > 4 ? 2 : 1;
  return !tie && least <= allowed ? nearest : std::string_view();
}

// The end of an unknown key's fault: what it was probably meant to be, or
// the keys its table holds.
std::string UnknownKeyHint(std::string_view name, const std::vector<std::string_view>& keys) {
  const std::string_view likely = LikelyKey(name, keys);
  if (!likely.empty()) {
    return "did you mean " + std::string(likely) + "?";
  }
  std::string hint = "its keys are ";
  for (size_t i = 0; i < keys.size(); ++i) {
    hint += std::string(i == 0 ? "" : i + 1 == keys.size() ? " and " : ", ") + std::string(keys[i]);
  }
  return hint;
}

bool IsNumberCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' ||
         c == '-' || c == '.' || c == '_';
}

// Walks the parsed document and collects every fault with its place; the
// one reported is the first in the file, whatever order the tables keep
// their keys in.
class ProjectReader {
 public:
  ProjectReader(std::string_view text, ProjectUse use) : text_(text), use_(use) { IndexLines(); }

  void Read(const toml::table& root, RunRequest& project, RatingEntry& rating);
  const std::vector<FoundFault>& faults() const { return faults_; }

 private:
  void IndexLines();
  void Add(const toml::source_region& region, std::string detail) {
    faults_.push_back({PlaceOf(region), std::move(detail)});
  }
  void Add(Place place, std::string detail) { faults_.push_back({place, std::move(detail)}); }
  std::string_view LiteralAt(const toml::source_region& region) const;
  bool NumberText(const toml::node& node, const std::string& what, std::string_view& text);
  void ReadIdentity(const toml::table& table, ProjectIdentity& identity);
  void ReadDesign(const toml::table& table, RunRequest& project);
  void ReadList(const ValueListInfo& list, const toml::node& node, ValueList& values);
  void ReadSpan(const toml::node& node, std::string& span);
  void ReadRating(const toml::table& table, RatingEntry& entry);
  void ReadRatingValue(const RatingFieldInfo& field, const toml::node& node, RatingEntry& entry);

  std::string_view text_;
  ProjectUse use_;
  std::vector<size_t> lineStarts_;
  std::vector<FoundFault> faults_;
};

void ProjectReader::IndexLines() {
  // The library counts columns after a byte-order mark.
  lineStarts_.push_back(text_.substr(0, kByteOrderMark.size()) == kByteOrderMark ? 3 : 0);
  for (size_t at = 0; at < text_.size(); ++at) {
    if (text_[at] == '\n') {
      lineStarts_.push_back(at + 1);
    }
  }
}

// The text of the number that starts at `region`: the value's own digits as
// the file spells them, found by counting the region's characters into its
// line.
std::string_view ProjectReader::LiteralAt(const toml::source_region& region) const {
  const size_t line = region.begin.line;
  if (line == 0 || line > lineStarts_.size()) {
    return {};
  }
  size_t at = lineStarts_[line - 1];
  for (uint32_t column = 1; column < region.begin.column && at < text_.size(); ++column) {
    ++at;
    while (at < text_.size() && (static_cast<uint8_t>(text_[at]) & 0xC0) == 0x80) {
      ++at;
    }
  }
  size_t end = at;
  while (end < text_.size() && IsNumberCharacter(text_[end])) {
    ++end;
  }
  return text_.substr(at, end - at);
}

// The source text of a number in the file, for `what` ("wheel-load item
// 2"); false, with the fault added, when it is no number or has digits
// grouped with underscores.
bool ProjectReader::NumberText(const toml::node& node, const std::string& what,
                               std::string_view& text) {
  if (!node.is_number()) {
    Add(node.source(), what + " must be a number, not " + KindOf(node));
    return false;
  }
  text = LiteralAt(node.source());
  if (text.find('_') != std::string_view::npos) {
    Add(node.source(), what + " " + QuoteName(text) + ": write the number without underscores");
    return false;
  }
  return true;
}

void ProjectReader::Read(const toml::table& root, RunRequest& project, RatingEntry& rating) {
  bool hasDesign = false;
  bool hasRating = false;
  for (auto&& [key, node] : root) {
    const std::string_view name = key.str();
    if (name == kProjectTable && node.is_table()) {
      ReadIdentity(*node.as_table(), project.identity);
    } else if (name == kDesignTable && node.is_table()) {
      hasDesign = true;
      ReadDesign(*node.as_table(), project);
    } else if (name == kRatingTable && node.is_table()) {
      hasRating = true;
      ReadRating(*node.as_table(), rating);
    } else if (name == kProjectTable || name == kDesignTable || name == kRatingTable) {
      Add(node.source(), std::string(name) + " must be a table, begun by [" + std::string(name) +
                             "] on a line of its own");
    } else {
      const std::string_view likely = LikelyKey(name, {kProjectTable, kDesignTable});
      Add(key.source(),
          "unknown key " + QuoteName(name) +
              (likely.empty() ? ": a project file holds the tables [project] and [design]"
                              : ": did you mean [" + std::string(likely) + "]?"));
    }
  }
  if (use_ == ProjectUse::kDesign && !hasDesign && faults_.empty()) {
    Add(Place{}, "no [design] table: a project file gives the five value lists in [design]");
  }
  if (use_ == ProjectUse::kRating && !hasRating && faults_.empty()) {
    Add(Place{}, "no [rating] table: a rating takes its values from [rating]");
  }
}

void ProjectReader::ReadIdentity(const toml::table& table, ProjectIdentity& identity) {
  for (auto&& [key, node] : table) {
    const IdentityFieldInfo* field = FindIdentityField(key.str());
    if (field == nullptr) {
      std::vector<std::string_view> keys;
      for (const IdentityFieldInfo& known : IdentityFields()) {
        keys.push_back(known.name);
      }
      Add(key.source(), "unknown key " + QuoteName(key.str()) + " in [project]; " +
                            UnknownKeyHint(key.str(), keys));
      continue;
    }
    const std::string what = "[project] " + std::string(field->name);
    const toml::value<std::string>* text = node.as_string();
    if (text == nullptr) {
      Add(node.source(), what + " must be a text in double quotes");
      continue;
    }
    if (const std::string why = IdentityTextFault(*field, text->get()); !why.empty()) {
      std::string detail = what;
      detail.append(" ").append(why);
      Add(node.source(), std::move(detail));
      continue;
    }
    identity.*(field->member) = text->get();
  }
}

void ProjectReader::ReadDesign(const toml::table& table, RunRequest& project) {
  std::array<bool, kValueListCount> seen{};
  bool unknownKey = false;
  for (auto&& [key, node] : table) {
    const std::string_view name = key.str();
    if (const ValueListInfo* list = FindValueList(name)) {
      seen[static_cast<size_t>(list->id)] = true;
      ReadList(*list, node, project.lists[static_cast<size_t>(list->id)]);
    } else if (name == kContinuityKey) {
      if (const toml::value<bool>* on = node.as_boolean()) {
        project.continuity = on->get();
      } else {
        Add(node.source(), "continuity must be true or false");
      }
    } else if (name == kSpanKey) {
      ReadSpan(node, project.span);
    } else if (name == kAdoptKey) {
      const toml::value<int64_t>* number = node.as_integer();
      project.adopt = number != nullptr ? AdoptedCaseOf(std::to_string(number->get())) : 0;
      if (project.adopt == 0) {
        Add(node.source(), std::string("adopt ") + kAdoptedCaseRule);
      }
    } else {
      std::vector<std::string_view> keys;
      for (const ValueListInfo& list : ValueLists()) {
        keys.push_back(list.name);
      }
      keys.insert(keys.end(), {kContinuityKey, kSpanKey, kAdoptKey});
      Add(key.source(),
          "unknown key " + QuoteName(name) + " in [design]; " + UnknownKeyHint(name, keys));
      unknownKey = true;
    }
  }
  // A list missing beside an unknown key is most likely that key misspelt:
  // the key is the fault named, at its own line, not the table's first.
  for (const ValueListInfo& list : ValueLists()) {
    if (!unknownKey && !seen[static_cast<size_t>(list.id)]) {
      Add(table.source(), "[design] has no " + std::string(list.name) +
                              ": a project file gives all five value lists");
    }
  }
}

void ProjectReader::ReadList(const ValueListInfo& list, const toml::node& node, ValueList& values) {
  const std::string name(list.name);
  const toml::array* array = node.as_array();
  if (array == nullptr) {
    Add(node.source(), name + " must be a list of 1 to " + std::to_string(kListCapacity) +
                           " numbers in brackets, such as [" + std::string(list.typical[0]) + "]");
    return;
  }
  if (array->empty()) {
    Add(node.source(), name + " is empty: give 1 to " + std::to_string(kListCapacity) + " values");
    return;
  }
  ValueList read;
  for (const toml::node& element : *array) {
    const std::string what = name + " item " + std::to_string(read.count + 1);
    if (read.count == kListCapacity) {
      Add(element.source(), name + " has more than " + std::to_string(kListCapacity) + " values");
      return;
    }
    std::string_view text;
    if (!NumberText(element, what, text)) {
      return;
    }
    const ValueRefusal refusal =
        CheckValue(list, text, &read.values[static_cast<size_t>(read.count)]);
    if (refusal != ValueRefusal::kNone) {
      Add(element.source(),
          what + " " + QuoteName(text) + " " + std::string(RefusalPhrase(refusal)));
      return;
    }
    ++read.count;
  }
  values = read;
}

void ProjectReader::ReadSpan(const toml::node& node, std::string& span) {
  std::string_view text;
  if (!NumberText(node, "span", text)) {
    return;
  }
  const GoverningSpan governing = GoverningRow(text);
  if (governing.row < 0) {
    Add(node.source(), "span " + QuoteName(text) + " is " + GoverningRowReason(governing));
    return;
  }
  span = governing.exact;
}

// A [rating] value is read from its own text, as the option of the same
// name: a number, a bar as a number (16) or a text ("#16"), the spans as a
// list of numbers.
void ProjectReader::ReadRatingValue(const RatingFieldInfo& field, const toml::node& node,
                                    RatingEntry& entry) {
  const std::string what = "[rating] " + std::string(field.name);
  std::string text;
  if (field.rule == RatingRule::kSpans) {
    const toml::array* array = node.as_array();
    if (array == nullptr || array->empty()) {
      Add(node.source(), what + " must be a list of spans in brackets, such as [2.4, 3.2]");
      return;
    }
    for (const toml::node& element : *array) {
      std::string_view item;
      if (!NumberText(element, what + " item", item)) {
        return;
      }
      text += (text.empty() ? "" : ",") + std::string(item);
    }
  } else if (const toml::value<std::string>* bar = node.as_string();
             bar != nullptr && field.rule == RatingRule::kBar) {
    text = bar->get();
  } else {
    std::string_view number;
    if (!NumberText(node, what, number)) {
      return;
    }
    text = number;
  }
  if (const std::string why = SetRatingField(field, text, entry); !why.empty()) {
    Add(node.source(), what + " " + QuoteName(text) + ": " + why);
  }
}

void ProjectReader::ReadRating(const toml::table& table, RatingEntry& entry) {
  for (auto&& [key, node] : table) {
    if (key.str() == kContinuityKey) {
      if (const toml::value<bool>* on = node.as_boolean()) {
        entry.inputs.continuous = on->get();
        entry.continuityGiven = true;
      } else {
        Add(node.source(), "[rating] continuity must be true or false");
      }
    } else if (const RatingFieldInfo* field = FindRatingField(key.str())) {
      ReadRatingValue(*field, node, entry);
    } else {
      Add(key.source(), "unknown key " + QuoteName(key.str()) +
                            " in [rating]; its keys are the options of kalvorden rate");
    }
  }
}

}  // namespace

Fault ParseProjectText(std::string_view text, const std::string& name, RunRequest& project,
                       ProjectUse use, RatingEntry* rating) {
  const bool marked = text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
  std::string forLibrary;
  if (const ScreenFault screened =
          ScreenTomlText(text.substr(marked ? kByteOrderMark.size() : 0), forLibrary);
      screened.line != 0) {
    return FileFault(name, {screened.line, screened.column}, screened.detail);
  }
  toml::table root;
  try {
    root = toml::parse((marked ? std::string(kByteOrderMark) : std::string()) + forLibrary);
  } catch (const toml::parse_error& error) {
    return FileFault(name, PlaceOf(error.source()), Printable(error.description()));
  }
  ProjectReader reader(text, use);
  RunRequest read;
  RatingEntry readRating;
  reader.Read(root, read, readRating);
  if (reader.faults().empty()) {
    project = read;
    if (rating != nullptr) {
      *rating = readRating;
    }
    return {};
  }
  const FoundFault* first = &reader.faults().front();
  for (const FoundFault& fault : reader.faults()) {
    if (std::tie(fault.place.line, fault.place.column) <
        std::tie(first->place.line, first->place.column)) {
      first = &fault;
    }
  }
  return FileFault(name, first->place, first->detail);
}

Fault ReadProjectFile(const std::string& path, RunRequest& project, ProjectUse use,
                      RatingEntry* rating) {
  const auto unreadable = [&path](std::string why) {
    return Fault{kFaultProjectFile, "project file " + QuoteName(path), "cannot be read",
                 std::move(why)};
  };
  // Opened without blocking, so a FIFO nobody writes cannot hold the run:
  // it reads as empty.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    return unreadable(std::strerror(errno));
  }
  const int status = fcntl(descriptor, F_GETFL);
  if (status >= 0) {
    fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK);
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(descriptor, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      const int error = errno;
      close(descriptor);
      return unreadable(std::strerror(error));
    }
    if (got == 0) {
      break;
    }
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > kMostProjectFileBytes) {
      close(descriptor);
      return unreadable("larger than 1 MiB, which no project file is");
    }
  }
  close(descriptor);
  return ParseProjectText(bytes, path, project, use, rating);
}

}  // namespace kalvorden
