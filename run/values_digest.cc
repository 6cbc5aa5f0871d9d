#include "run/values_digest.h"

#include <nettle/sha2.h>

#include <array>
#include <cstdint>

#include "numeric/decimal.h"
#include "rating/rating_values.h"

namespace kalvorden {

std::string CanonicalDesignValues(const RunRequest& project) {
  std::string form = "kalvorden design values 1\n";
  for (const ValueListInfo& list : ValueLists()) {
    const ValueList& values = project.lists[static_cast<size_t>(list.id)];
    form += list.name;
    for (int32_t i = 0; i < values.count; ++i) {
      form += " " + FullDecimal(values.values[static_cast<size_t>(i)], FullDecimalUse::kWeb);
    }
    form += "\n";
  }
  form += std::string("continuity ") + (project.continuity ? "yes" : "no") + "\n";
  form += "span " + (project.span.empty() ? std::string("none") : project.span) + "\n";
  return form;
}

namespace {

std::string Sha256Hex(const std::string& form) {
  sha256_ctx context{};
  sha256_init(&context);
  sha256_update(&context, form.size(), reinterpret_cast<const uint8_t*>(form.data()));
  std::array<uint8_t, SHA256_DIGEST_SIZE> digest{};
  sha256_digest(&context, digest.size(), digest.data());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

}  // namespace

std::string DesignValuesDigest(const RunRequest& project) {
  return Sha256Hex(CanonicalDesignValues(project));
}

std::string CanonicalRatingValues(const RatingInputs& inputs) {
  std::string form = "kalvorden rating values 1\n";
  for (const RatingFieldInfo& field : RatingFields()) {
    const std::string text = RatingFieldText(field, inputs, FullDecimalUse::kWeb, " ");
    form += std::string(field.name) + " " + (text.empty() ? "none" : text) + "\n";
  }
  form += std::string("continuity ") + (inputs.continuous ? "yes" : "no") + "\n";
  return form;
}

std::string RatingValuesDigest(const RatingInputs& inputs) {
  return Sha256Hex(CanonicalRatingValues(inputs));
}

}  // namespace kalvorden
