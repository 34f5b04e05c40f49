#pragma once
// How every benchmark times its work: milliseconds off a QElapsedTimer, the median of
// several runs.
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace bench {

inline double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace bench
