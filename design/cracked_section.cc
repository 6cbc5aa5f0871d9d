#include "design/cracked_section.h"

#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kOne = 1;
constexpr Quad kTwo = 2;
constexpr Quad kThree = 3;
constexpr Quad kStripWidth = 1000;            // b, mm
constexpr Quad kNewtonMillimetres = 1000000;  // N mm in a kN m
// 2 x 10^6 / b: the concrete stress's factor on M in kN m per metre.
constexpr Quad kConcreteStressFactor = 2000;

template <class Number, const Quad& kValue>
constexpr Number kC = FromQuad<Number>(kValue);

}  // namespace

template <class Number>
CrackedSectionOf<Number> AnalyseCrackedSection(Number steelArea, Number depth, Number n,
                                               Number moment) {
  CrackedSectionOf<Number> s;
  const Number area = Mul(kC<Number, kStripWidth>, depth);
  s.steelRatio = Div(steelArea, area);
  const Number rn = Mul(s.steelRatio, n);
  const Number twoRn = Mul(kC<Number, kTwo>, rn);
  const Number rnSquared = Mul(rn, rn);
  const Number radicand = Add(twoRn, rnSquared);
  s.k = Sub(SquareRoot(radicand), rn);
  s.j = Sub(kC<Number, kOne>, Div(s.k, kC<Number, kThree>));
  s.neutralAxis = Mul(s.k, depth);
  s.leverArm = Mul(s.j, depth);
  const Number momentNmm = Mul(kC<Number, kNewtonMillimetres>, moment);
  s.steelStress = Div(momentNmm, Mul(steelArea, s.leverArm));
  const Number momentTimesFactor = Mul(kC<Number, kConcreteStressFactor>, moment);
  s.concreteStress = Div(momentTimesFactor, Mul(s.neutralAxis, s.leverArm));
  return s;
}

template <class Number>
SectionCapacityOf<Number> SectionCapacity(const CrackedSectionOf<Number>& s, Number steelArea,
                                          Number allowableSteel, Number allowableConcrete) {
  SectionCapacityOf<Number> capacity;
  const Number steelForce = Mul(allowableSteel, steelArea);
  capacity.steelMoment = Div(Mul(steelForce, s.leverArm), kC<Number, kNewtonMillimetres>);
  const Number concreteForce = Mul(allowableConcrete, s.neutralAxis);
  capacity.concreteMoment = Div(Mul(concreteForce, s.leverArm), kC<Number, kConcreteStressFactor>);
  return capacity;
}

template CrackedSectionOf<Quad> AnalyseCrackedSection(Quad, Quad, Quad, Quad);
template CrackedSectionOf<Enclosure> AnalyseCrackedSection(Enclosure, Enclosure, Enclosure,
                                                           Enclosure);
template SectionCapacityOf<Quad> SectionCapacity(const CrackedSectionOf<Quad>&, Quad, Quad, Quad);

}  // namespace kalvorden
