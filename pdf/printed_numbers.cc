#include "pdf/printed_numbers.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <system_error>

// glibc's checked vsnprintf, which its checked snprintf calls.
extern "C" int __vsnprintf_chk(  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
    char* s, size_t maxlen, int flag, size_t slen, const char* format, va_list ap);

namespace kalvorden {
namespace {

std::atomic<int64_t> fastNumbers{0};

// The forms printed here: a double in fixed notation with a precision given
// in the form ("%f" is six digits, "%.18f") or as an argument ("%.*f"), and
// an int ("%d"). Anything else, flags and widths included, is not.
enum class Form { kOther, kFixed, kFixedStar, kInt };

Form FormOf(const char* format, int& precision) {
  if (format[0] != '%') {
    return Form::kOther;
  }
  if (std::strcmp(format, "%f") == 0) {
    precision = 6;
    return Form::kFixed;
  }
  if (std::strcmp(format, "%d") == 0) {
    return Form::kInt;
  }
  if (std::strcmp(format, "%.*f") == 0) {
    return Form::kFixedStar;
  }
  if (format[1] == '.' && format[2] >= '0' && format[2] <= '9') {
    int digits = 0;
    const char* at = format + 2;
    while (*at >= '0' && *at <= '9' && digits < 100) {
      digits = digits * 10 + (*at - '0');
      ++at;
    }
    if (at[0] == 'f' && at[1] == '\0') {
      precision = digits;
      return Form::kFixed;
    }
  }
  return Form::kOther;
}

// snprintf's contract: at most `size` - 1 characters and the terminating
// null, and the length the whole text would have.
int Deliver(char* s, size_t size, const char* text, size_t length) {
  if (size > 0) {
    const size_t copied = std::min(length, size - 1);
    std::memcpy(s, text, copied);
    s[copied] = '\0';
  }
  return static_cast<int>(length);
}

// The text of the form, or false (nothing printed) where to_chars does not
// give printf's: a value that is not finite, or a text longer than the
// buffer.
bool PrintFast(Form form, int precision, va_list ap, char* s, size_t size, int& length) {
  char text[400];
  std::to_chars_result result{};
  if (form == Form::kInt) {
    result = std::to_chars(text, text + sizeof text, va_arg(ap, int));
  } else {
    if (form == Form::kFixedStar) {
      precision = va_arg(ap, int);
      if (precision < 0) {
        precision = 6;  // printf takes a negative precision as none given
      }
    }
    const double value = va_arg(ap, double);
    if (!std::isfinite(value)) {
      return false;
    }
    result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
  }
  if (result.ec != std::errc()) {
    return false;
  }
  length = Deliver(s, size, text, static_cast<size_t>(result.ptr - text));
  fastNumbers.fetch_add(1, std::memory_order_relaxed);
  return true;
}

}  // namespace

int64_t FastPrintedNumbers() {
  return fastNumbers.load(std::memory_order_relaxed);
}

}  // namespace kalvorden

// glibc's checked snprintf, the entry a program built with _FORTIFY_SOURCE
// calls: the forms above printed here, every other (and any call whose
// buffer is larger than its object, which glibc stops) by glibc.
extern "C" int __snprintf_chk(  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
    char* s, size_t maxlen, int flag, size_t slen, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int precision = 0;
  const kalvorden::Form form = kalvorden::FormOf(format, precision);
  int length = 0;
  if (form != kalvorden::Form::kOther && maxlen <= slen) {
    va_list fast;
    va_copy(fast, ap);
    const bool printed = kalvorden::PrintFast(form, precision, fast, s, maxlen, length);
    va_end(fast);
    if (printed) {
      va_end(ap);
      return length;
    }
  }
  length = __vsnprintf_chk(s, maxlen, flag, slen, format, ap);
  va_end(ap);
  return length;
}
