#pragma once
// Larger and smaller of two signed 32-bit integers, for layout arithmetic in the
// input controls.

inline int IntMax(int a, int b) {
    return a > b ? a : b;
}
inline int IntMin(int a, int b) {
    return a < b ? a : b;
}
