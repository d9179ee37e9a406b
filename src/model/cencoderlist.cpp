#include "model/cencoderlist.h"

#include <cmath>

CEncoderList &CEncoderList::instance()
{
    // Never destroyed: scan answers may still arrive on other threads at exit.
    static CEncoderList *store = new CEncoderList;
    return *store;
}

float CEncoderList::snapFrameRate(float rate)
{
    static constexpr double steps[] = {24.0, 25.0, 30.0, 59.94, 60.0};
    double best = steps[0];
    double bestDiff = std::fabs(double(rate) - steps[0]);
    for (double step : steps) {
        const double diff = std::fabs(double(rate) - step);
        if (diff < bestDiff) { // strict: a tie keeps the earlier step
            best = step;
            bestDiff = diff;
        }
    }
    return float(best);
}
