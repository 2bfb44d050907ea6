#pragma once
// A double-precision complex number and the five operations the transform uses.

namespace kolmarin {

struct TComplexNum {
    double re;
    double im;
};

inline TComplexNum ComplexOf(double re, double im) {
    return {re, im};
}
inline TComplexNum ComplexAdd(TComplexNum a, TComplexNum b) {
    return {a.re + b.re, a.im + b.im};
}
inline TComplexNum ComplexSub(TComplexNum a, TComplexNum b) {
    return {a.re - b.re, a.im - b.im};
}
inline TComplexNum ComplexMul(TComplexNum a, TComplexNum b) {
    return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
}
inline TComplexNum ComplexScale(TComplexNum a, double s) {
    return {s * a.re, s * a.im};
}

} // namespace kolmarin
