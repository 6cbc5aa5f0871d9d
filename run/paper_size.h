#pragma once

#include <cstdint>

namespace kalvorden {

// The paper the PDF is laid out for.
enum class PaperSize : uint8_t { kA4, kLetter };

}  // namespace kalvorden
