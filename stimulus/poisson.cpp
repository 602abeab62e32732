// Poisson pulse trains.

#include <algorithm>
#include <cmath>

#include "stimulus/generators.h"

int PoisTimes[5001];

int makePoisTrain(int duration, double frequency) {
    PoisTimes[0] = 0;
    int i = 1;
    if (!(frequency > 0.0)) return i;
    int sum = 0;
    while (sum < duration) {
        const float r = GetRandomNumber();
        sum += static_cast<int>(std::log(r) * -1000.0 / frequency);
        PoisTimes[i] = sum;
        ++i;
        if (i > 5000) break;
    }
    return i;
}

void Generate_poisson(double* train, int duration, double dur, double amplitude, double frequency) {
    if (duration < 1) return;
    std::fill(train, train + duration, 0.0);
    const int count = makePoisTrain(duration, frequency);
    for (int e = 0; e < count; ++e) {
        const int start = PoisTimes[e];
        if (start + dur > duration) break;
        for (int j = start; j < start + dur; ++j) train[j] = amplitude;
    }
}
