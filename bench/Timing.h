#pragma once
// How every benchmark times its work: milliseconds off a QElapsedTimer, the median of
// several runs.
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One figure beside bare SQLite, with its ratio and whether it met its aim: under
// `aimMs` milliseconds (when above 0) and, when `aimRatio` is above 0, at most that ratio.
inline void Report(const char *what, double ours, double bare, double aimMs, double aimRatio = 0) {
    const double ratio = ours / bare;
    const bool met = (aimMs <= 0 || ours < aimMs) && (aimRatio <= 0 || ratio <= aimRatio);
    if (aimMs <= 0)
        std::printf("%-42s %9.2f ms   bare SQLite %8.2f ms   ratio %5.2f   (aim at most %.1fx: %s)\n", what,
                    ours, bare, ratio, aimRatio, met ? "met" : "missed");
    else if (aimRatio > 0)
        std::printf(
            "%-42s %9.2f ms   bare SQLite %8.2f ms   ratio %5.2f   (aim under %.0f ms and %.1fx: %s)\n", what,
            ours, bare, ratio, aimMs, aimRatio, met ? "met" : "missed");
    else
        std::printf("%-42s %9.2f ms   bare SQLite %8.2f ms   ratio %5.2f   (aim under %.0f ms: %s)\n", what,
                    ours, bare, ratio, aimMs, met ? "met" : "missed");
}

} // namespace bench
