// Forward-mode automatic differentiation: a value with its partial derivatives with respect to
// N inputs. Replaying a log once with these gives the loss and its exact gradient together.
#pragma once

#include <cmath>

namespace review {

template <int N>
struct Dual {
  double v = 0;
  double d[N] = {};

  Dual() = default;
  Dual(double value) : v(value) {}  // a constant: every partial 0
  // Input `i` of the N.
  static Dual Input(double value, int i) {
    Dual x(value);
    x.d[i] = 1;
    return x;
  }
};

template <int N>
double Value(const Dual<N>& x) {
  return x.v;
}

// r = a·x + b·y over the partials, the one loop every operation below reduces to.
template <int N>
Dual<N> Combine(double value, double a, const Dual<N>& x, double b, const Dual<N>& y) {
  Dual<N> r(value);
  for (int i = 0; i < N; ++i) r.d[i] = a * x.d[i] + b * y.d[i];
  return r;
}
template <int N>
Dual<N> Scale(double value, double a, const Dual<N>& x) {
  Dual<N> r(value);
  for (int i = 0; i < N; ++i) r.d[i] = a * x.d[i];
  return r;
}

template <int N>
Dual<N> operator-(const Dual<N>& x) {
  return Scale(-x.v, -1.0, x);
}
template <int N>
Dual<N> operator+(const Dual<N>& x, const Dual<N>& y) {
  return Combine(x.v + y.v, 1.0, x, 1.0, y);
}
template <int N>
Dual<N> operator-(const Dual<N>& x, const Dual<N>& y) {
  return Combine(x.v - y.v, 1.0, x, -1.0, y);
}
template <int N>
Dual<N> operator*(const Dual<N>& x, const Dual<N>& y) {
  return Combine(x.v * y.v, y.v, x, x.v, y);
}
template <int N>
Dual<N> operator/(const Dual<N>& x, const Dual<N>& y) {
  double q = x.v / y.v;
  return Combine(q, 1.0 / y.v, x, -q / y.v, y);
}
template <int N>
Dual<N> operator+(const Dual<N>& x, double c) {
  Dual<N> r = x;
  r.v += c;
  return r;
}
template <int N>
Dual<N> operator+(double c, const Dual<N>& x) {
  return x + c;
}
template <int N>
Dual<N> operator-(const Dual<N>& x, double c) {
  return x + -c;
}
template <int N>
Dual<N> operator-(double c, const Dual<N>& x) {
  return Scale(c - x.v, -1.0, x);
}
template <int N>
Dual<N> operator*(const Dual<N>& x, double c) {
  return Scale(x.v * c, c, x);
}
template <int N>
Dual<N> operator*(double c, const Dual<N>& x) {
  return Scale(c * x.v, c, x);
}
template <int N>
Dual<N> operator/(const Dual<N>& x, double c) {
  return Scale(x.v / c, 1.0 / c, x);
}
template <int N>
Dual<N> operator/(double c, const Dual<N>& x) {
  double q = c / x.v;
  return Scale(q, -q / x.v, x);
}

template <int N>
Dual<N> exp(const Dual<N>& x) {
  double e = std::exp(x.v);
  return Scale(e, e, x);
}
template <int N>
Dual<N> log(const Dual<N>& x) {
  return Scale(std::log(x.v), 1.0 / x.v, x);
}
// x^c.
template <int N>
Dual<N> pow(const Dual<N>& x, double c) {
  double p = std::pow(x.v, c);
  return Scale(p, c * std::pow(x.v, c - 1.0), x);
}
// c^y.
template <int N>
Dual<N> pow(double c, const Dual<N>& y) {
  double p = std::pow(c, y.v);
  return Scale(p, p * std::log(c), y);
}
// x^y, for x > 0.
template <int N>
Dual<N> pow(const Dual<N>& x, const Dual<N>& y) {
  double p = std::pow(x.v, y.v);
  return Combine(p, y.v * p / x.v, x, p * std::log(x.v), y);
}

}  // namespace review
