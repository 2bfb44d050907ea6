#pragma once
// The complex arithmetic of the passes, written once for plain doubles and for vectors of
// doubles, and the small transforms of the hand-written radices 2, 3, 4, 5, 8 and 10 built
// from it. Both forms of the transform run these same operations in the same order.

namespace kolmarin::detail {

// Butterfly constants, deliberately held at 14 significant digits: the transform's results
// are defined with these values, not with fully precise ones.
constexpr double c3_1 = -1.5;              // cos(2pi/3) - 1
constexpr double c3_2 = 0.86602540378444;  // sin(2pi/3)
constexpr double c5_1 = -1.25;             // (cos u + cos 2u)/2 - 1, u = 2pi/5
constexpr double c5_2 = 0.55901699437495;  // (cos u - cos 2u)/2
constexpr double c5_3 = -0.95105651629515; // -sin u
constexpr double c5_4 = -1.5388417685876;  // -(sin u + sin 2u)
constexpr double c5_5 = 0.36327126400268;  // sin u - sin 2u
constexpr double c8 = 0.70710678118655;    // sqrt(0.5)

// A complex value whose parts are either one double or a pair of doubles taken from two
// neighbouring groups. With a pair, each lane goes through exactly the operations a single
// value would, in the same order, so both forms give the same bits; the pair only lets the
// processor do two groups per instruction.
template <typename T> struct Cx {
    T re;
    T im;
};

using Pair = double __attribute__((vector_size(16)));

template <typename T> [[gnu::always_inline]] inline Cx<T> add(Cx<T> a, Cx<T> b) {
    return {a.re + b.re, a.im + b.im};
}
template <typename T> [[gnu::always_inline]] inline Cx<T> sub(Cx<T> a, Cx<T> b) {
    return {a.re - b.re, a.im - b.im};
}
template <typename T> [[gnu::always_inline]] inline Cx<T> mul(Cx<T> a, Cx<T> b) {
    return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
}
template <typename T> [[gnu::always_inline]] inline Cx<T> scale(Cx<T> a, double s) {
    return {s * a.re, s * a.im};
}

// z[k] = sum_b z[b] exp(-2 pi i bk / radix) for the hand-written radices. -i*x is formed
// directly as (x.im, -x.re).

template <typename T> [[gnu::always_inline]] inline void smallDft2(Cx<T>* z) {
    const Cx<T> z0 = z[0];
    z[0] = add(z0, z[1]);
    z[1] = sub(z0, z[1]);
}

template <typename T> [[gnu::always_inline]] inline void smallDft3(Cx<T>* z) {
    const Cx<T> t1 = add(z[1], z[2]);
    z[0] = add(z[0], t1);
    const Cx<T> m1 = scale(t1, c3_1);
    const Cx<T> m2{c3_2 * (z[1].im - z[2].im), c3_2 * (z[2].re - z[1].re)};
    const Cx<T> s1 = add(z[0], m1);
    z[1] = add(s1, m2);
    z[2] = sub(s1, m2);
}

template <typename T> [[gnu::always_inline]] inline void smallDft4(Cx<T>* z) {
    const Cx<T> t1 = add(z[0], z[2]);
    const Cx<T> t2 = add(z[1], z[3]);
    const Cx<T> m2 = sub(z[0], z[2]);
    const Cx<T> m3{z[1].im - z[3].im, z[3].re - z[1].re};
    z[0] = add(t1, t2);
    z[2] = sub(t1, t2);
    z[1] = add(m2, m3);
    z[3] = sub(m2, m3);
}

template <typename T> [[gnu::always_inline]] inline void smallDft5(Cx<T>* z) {
    const Cx<T> t1 = add(z[1], z[4]);
    const Cx<T> t2 = add(z[2], z[3]);
    const Cx<T> t3 = sub(z[1], z[4]);
    const Cx<T> t4 = sub(z[3], z[2]);
    const Cx<T> t5 = add(t1, t2);
    z[0] = add(z[0], t5);
    const Cx<T> m1 = scale(t5, c5_1);
    const Cx<T> m2 = scale(sub(t1, t2), c5_2);
    const Cx<T> m3{-c5_3 * (t3.im + t4.im), c5_3 * (t3.re + t4.re)};
    const Cx<T> m4{-c5_4 * t4.im, c5_4 * t4.re};
    const Cx<T> m5{-c5_5 * t3.im, c5_5 * t3.re};
    const Cx<T> s3 = sub(m3, m4);
    const Cx<T> s5 = add(m3, m5);
    const Cx<T> s1 = add(z[0], m1);
    const Cx<T> s2 = add(s1, m2);
    const Cx<T> s4 = sub(s1, m2);
    z[1] = add(s2, s3);
    z[2] = add(s4, s5);
    z[3] = sub(s4, s5);
    z[4] = sub(s2, s3);
}

// Two radix-4 transforms of the even and odd samples joined by the eighth roots of unity;
// those are applied as sums and differences scaled by sqrt(0.5).
template <typename T> [[gnu::always_inline]] inline void smallDft8(Cx<T>* z) {
    Cx<T> a[4] = {z[0], z[2], z[4], z[6]};
    Cx<T> b[4] = {z[1], z[3], z[5], z[7]};
    smallDft4(a);
    smallDft4(b);
    b[1] = {c8 * (b[1].re + b[1].im), c8 * (b[1].im - b[1].re)};
    b[2] = {b[2].im, -b[2].re};
    b[3] = {c8 * (b[3].im - b[3].re), -c8 * (b[3].re + b[3].im)};
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
        z[j] = add(a[j], b[j]);
        z[j + 4] = sub(a[j], b[j]);
    }
}

// 2 x 5 prime-factor index map: the coprime factors need no twiddles between them.
template <typename T> [[gnu::always_inline]] inline void smallDft10(Cx<T>* z) {
    Cx<T> a[5] = {z[0], z[2], z[4], z[6], z[8]};
    Cx<T> b[5] = {z[5], z[7], z[9], z[1], z[3]};
    smallDft5(a);
    smallDft5(b);
    z[0] = add(a[0], b[0]);
    z[5] = sub(a[0], b[0]);
    z[6] = add(a[1], b[1]);
    z[1] = sub(a[1], b[1]);
    z[2] = add(a[2], b[2]);
    z[7] = sub(a[2], b[2]);
    z[8] = add(a[3], b[3]);
    z[3] = sub(a[3], b[3]);
    z[4] = add(a[4], b[4]);
    z[9] = sub(a[4], b[4]);
}

template <int Radix, typename T> [[gnu::always_inline]] inline void smallDft(Cx<T>* z) {
    if constexpr (Radix == 2)
        smallDft2(z);
    else if constexpr (Radix == 3)
        smallDft3(z);
    else if constexpr (Radix == 4)
        smallDft4(z);
    else if constexpr (Radix == 5)
        smallDft5(z);
    else if constexpr (Radix == 8)
        smallDft8(z);
    else
        smallDft10(z);
}

} // namespace kolmarin::detail
