#pragma once
// A double-precision complex number and the arithmetic the transform uses. Each operator
// is one fixed expression (no fused multiply-add, see the model's build options), so the
// transform's results do not depend on how a caller groups its operations.

namespace kolmarin {

struct Complex {
    double re;
    double im;
};

inline Complex operator+(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
inline Complex operator-(Complex a, Complex b) {
    return {a.re - b.re, a.im - b.im};
}
inline Complex operator*(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
}
// Scaling by a real number s: {s * re, s * im}, whichever side s stands on.
inline Complex operator*(double s, Complex a) {
    return {s * a.re, s * a.im};
}
inline Complex operator*(Complex a, double s) {
    return {s * a.re, s * a.im};
}

} // namespace kolmarin
