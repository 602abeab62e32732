#include "platform/driver/board_config.h"

namespace trelvanix::driver {

InputSignal defaultSignal(SignalSource source) {
    InputSignal signal;
    signal.source = source;
    switch (source) {
        case SignalSource::Cell:
            // A -65 mV cell seen through a x10 amplifier; 1 V of command settles 0.2 V higher.
            signal.output = 0;
            signal.rest = -0.65;
            signal.gain = 0.2;
            signal.tau = 0.03;
            signal.sigma = 0.0005;
            break;
        case SignalSource::Readback:
            signal.output = 1;
            break;
        case SignalSource::Sine:
            signal.amplitude = 2.0;
            signal.frequency = 1.0;
            break;
        case SignalSource::Hum:
            signal.amplitude = 0.5;
            signal.frequency = 50.0;
            signal.sigma = 0.05;
            break;
        case SignalSource::Spikes:
            signal.amplitude = 3.0;
            signal.rate = 10.0;
            signal.width = 0.0005;
            signal.sigma = 0.02;
            break;
        case SignalSource::Noise:
            signal.sigma = 0.01;
            break;
        case SignalSource::Constant:
            break;
    }
    return signal;
}

BoardConfig defaultBoardConfig() {
    BoardConfig config;
    config.ranges = {{-10.0, 10.0}, {-5.0, 5.0}, {-1.0, 1.0}, {-0.2, 0.2}};
    config.inputs[0] = defaultSignal(SignalSource::Cell);
    config.inputs[1] = defaultSignal(SignalSource::Readback);
    config.inputs[2] = defaultSignal(SignalSource::Sine);
    config.inputs[3] = defaultSignal(SignalSource::Hum);
    config.inputs[4] = defaultSignal(SignalSource::Spikes);
    config.inputs[5] = defaultSignal(SignalSource::Noise);
    config.inputs[6] = defaultSignal(SignalSource::Noise);
    config.inputs[6].sigma = 0.1;
    config.inputs[7] = defaultSignal(SignalSource::Noise);
    config.inputs[7].sigma = 1.0;
    return config;
}

}  // namespace trelvanix::driver
