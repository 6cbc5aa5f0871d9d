#include "web/page_assets.h"

namespace kalvorden {

// Checks each value of the form as it is typed, with the rules of the
// server's own check (design/value_lists.h) and its words, which the form
// carries in data attributes; the server stays the judge: the
// page works the same without this script. The range test here only looks at
// the decimal exponent; a value at the very edge of binary128's range is left
// to the server.
const std::string_view kFormScript = R"JS('use strict';
(function () {
  const numeral = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;
  const form = document.getElementById('design-form');
  if (!form) {
    return;
  }
  // The server's words, which the form carries (data-not-a-number, ...).
  const words = form.dataset;
  const largestExponent = 4932;   // binary128 holds values below 1.19e4932
  const smallestExponent = -4966; // and rounds those below 6.5e-4966 to zero

  function check(input) {
    const text = input.value.replace(/^[ \t]+|[ \t]+$/g, '');
    if (text === '') {
      return '';
    }
    if (!numeral.test(text)) {
      return text.includes(',') && numeral.test(text.replace(/,/g, '.')) ? words.comma
                                                                         : words.notANumber;
    }
    const parts = /^([+-]?)(\d*)\.?(\d*)(?:[eE]([+-]?\d+))?$/.exec(text);
    const digits = parts[2] + parts[3];
    const first = digits.search(/[1-9]/);
    let zero = first < 0;
    if (!zero) {
      const exponent = parts[2].length - 1 - first + Number(parts[4] || 0);
      if (exponent > largestExponent) {
        return words.notFinite;
      }
      zero = exponent < smallestExponent;
    }
    const negative = parts[1] === '-';
    if (input.dataset.positive === 'yes') {
      return zero || negative ? words.notAboveZero : '';
    }
    return negative && !zero ? words.negative : '';
  }

  function show(input, message) {
    const place = document.getElementById(input.id + '-message');
    place.textContent = message;
    if (message) {
      input.setAttribute('aria-invalid', 'true');
    } else {
      input.removeAttribute('aria-invalid');
    }
  }

  function checkList(fieldset) {
    const inputs = Array.from(fieldset.querySelectorAll('input'));
    let ok = true;
    let filled = 0;
    for (const input of inputs) {
      const message = check(input);
      show(input, message);
      ok = ok && !message;
      if (input.value.trim() !== '') {
        filled += 1;
      }
    }
    if (ok && filled === 0) {
      show(inputs[0], words.missing);
      ok = false;
    }
    return ok;
  }

  for (const input of form.querySelectorAll('fieldset.values input')) {
    input.addEventListener('input', function () { show(input, check(input)); });
  }
  form.addEventListener('submit', function (event) {
    let firstBad = null;
    for (const fieldset of form.querySelectorAll('fieldset.values')) {
      if (!checkList(fieldset) && !firstBad) {
        firstBad = fieldset.querySelector('[aria-invalid="true"]');
      }
    }
    if (firstBad) {
      event.preventDefault();
      firstBad.focus();
    }
  });
})();
)JS";

// Sizes in rem and ch so the page reflows at 200 % zoom; the result tables
// keep the report's monospaced columns; printing drops the form controls.
const std::string_view kStyleSheet = R"CSS(
body { font-family: sans-serif; line-height: 1.4; margin: 0 auto; max-width: 72rem;
       padding: 0 1rem 2rem; color: #111; background: #fff; }
h1 { font-size: 1.6rem; margin-bottom: 0.2rem; }
h2 { font-size: 1.25rem; margin-top: 2rem; border-top: 1px solid #999; padding-top: 0.5rem; }
fieldset { border: 1px solid #888; margin: 0 0 1rem; padding: 0.5rem 1rem; }
legend { font-weight: bold; }
.value { display: flex; flex-wrap: wrap; align-items: baseline; gap: 0.3rem 0.6rem;
         margin: 0.3rem 0; }
.value label { min-width: 9rem; }
.value input { width: 10ch; font-size: 1rem; padding: 0.15rem 0.3rem; }
.unit { min-width: 4rem; }
.message { color: #a00000; font-weight: bold; }
input[aria-invalid="true"] { border: 2px solid #a00000; }
:focus { outline: 3px solid #1a5fb4; outline-offset: 1px; }
button { font-size: 1rem; padding: 0.4rem 1.2rem; }
.errors { border: 2px solid #a00000; padding: 0.5rem 1rem; }
table.rows { border-collapse: collapse; font-family: monospace; font-size: 0.95rem; }
table.rows td, table.rows th { white-space: pre; padding: 0; text-align: left;
                               vertical-align: bottom; }
table.rows th { white-space: normal; font-family: sans-serif; font-size: 0.8rem;
                font-weight: bold; padding: 0 0.4rem 0.2rem 0; border-bottom: 1px solid #888; }
table.rows caption { white-space: normal; font-family: sans-serif; text-align: left;
                     padding-bottom: 0.4rem; }
table.rows tr:nth-child(even) td { background: #f2f2f2; }
table.rows tr.governing td { background: #ffe08a; font-weight: bold; }
.project input { width: 30ch; font-size: 1rem; padding: 0.15rem 0.3rem; }
.project input#span { width: 10ch; }
.note-inline { font-size: 0.9rem; }
pre { font-size: 0.95rem; overflow-x: auto; }
dl.values { display: grid; grid-template-columns: max-content auto; gap: 0.1rem 1rem; }
dl.values dt { font-weight: bold; }
dl.values dd { margin: 0; }
figure.chart svg { max-width: 100%; height: auto; }
table.compare { border-collapse: collapse; font-size: 0.9rem; }
table.compare th { font-size: 0.8rem; text-align: right; vertical-align: bottom;
                   border-bottom: 1px solid #888; padding: 0 0.5rem 0.2rem; }
table.compare td { text-align: right; padding: 0.05rem 0.5rem; white-space: nowrap; }
table.compare caption { text-align: left; padding-bottom: 0.4rem; }
table.compare tr:nth-child(even) td { background: #f2f2f2; }
.note { background: #fff6d5; padding: 0.5rem 1rem; }
@media print {
  form, nav, .downloads { display: none; }
  body { max-width: none; }
  section.case { break-before: page; }
  a { color: inherit; text-decoration: none; }
}
)CSS";

}  // namespace kalvorden
