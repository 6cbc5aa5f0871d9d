#pragma once

// The cracked elastic section of a reinforced-concrete strip one metre wide,
// singly reinforced, by service-load (working-stress) theory: plane sections
// stay plane, the concrete carries no tension, steel and concrete are
// elastic with Es = n Ec. Given the steel provided and its depth it finds
// the neutral axis and the stresses a moment causes, and the moments the
// section carries at the allowable stresses. It checks a slab as built and
// rates an existing one: the formulas are written once, for a `Number` that
// is Quad (exact binary128) or Enclosure (a quick, sound bound), each
// instantiated in cracked_section.cc.

#include "numeric/enclosure.h"
#include "numeric/quad.h"

namespace kalvorden {

template <class Number>
struct CrackedSectionOf {
  Number steelRatio{};      // rho = As / (b d), b = 1000 mm
  Number k{};               // neutral-axis depth / d: sqrt(2 rho n + (rho n)^2) - rho n
  Number j{};               // lever arm / d: 1 - k / 3
  Number neutralAxis{};     // k d, mm
  Number leverArm{};        // j d, mm
  Number steelStress{};     // fs = 10^6 M / (As j d), MPa
  Number concreteStress{};  // fc = 2000 M / (k d x j d), MPa (2 M / (k j b d^2))
};
using CrackedSection = CrackedSectionOf<Quad>;

// The section of `steelArea` (As, mm^2 per metre of width) at effective
// depth `depth` (d, mm) with modular ratio `n`, under `moment` (M, kN m per
// metre). Each operation is rounded once, in this order:
//   rho = As / (1000 d); rn = rho n; k = sqrt(2 rn + rn rn) - rn;
//   j = 1 - k / 3; kd = k d; jd = j d;
//   fs = (10^6 M) / (As jd); fc = (2000 M) / (kd jd).
template <class Number>
CrackedSectionOf<Number> AnalyseCrackedSection(Number steelArea, Number depth, Number n,
                                               Number moment);

// The moments (kN m per metre) the analysed section carries when the steel
// reaches `allowableSteel` and the concrete `allowableConcrete` (MPa):
//   M_s = ((fs As) jd) / 10^6; M_c = ((fc kd) jd) / 2000.
// The smaller of the two is the section's service-load capacity.
template <class Number>
struct SectionCapacityOf {
  Number steelMoment{};
  Number concreteMoment{};
};
template <class Number>
SectionCapacityOf<Number> SectionCapacity(const CrackedSectionOf<Number>& section, Number steelArea,
                                          Number allowableSteel, Number allowableConcrete);

}  // namespace kalvorden
