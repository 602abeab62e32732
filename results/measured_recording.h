#pragma once
// Measuring a finalised recording: each measurement in the file that holds its channel, from
// the samples written to that file in the channel's unit as its header gives it. Reads only
// the scans the regions cover; free of the toolkit.

#include <optional>
#include <string>
#include <vector>

#include "results/measurement.h"

namespace trelvanix::results {

struct RecordedFile {
    std::string path;
    std::vector<int> inputs;  // the physical input (0..7) of each channel of the file, in order
};

struct MeasuredValue {
    std::optional<double> value;  // none when the measurement was refused for this recording
    std::string unit;             // the value's unit (the channel's, ms, unit/s or none)
    std::string problem;          // why it was refused, naming the measurement and the file
};

struct MeasuredRecording {
    bool stimulusRecorded = false;      // the first file's header holds a recorded stimulus
    std::vector<MeasuredValue> values;  // one per measurement, in their order
};

// A region's span is read whole: larger ones are refused (about 40 s of 8 x 50 kS/s).
constexpr std::int64_t kMaxValuesRead = std::int64_t(1) << 24;

MeasuredRecording measureRecording(const std::vector<RecordedFile>& files,
                                   const std::vector<Measurement>& measurements);

}  // namespace trelvanix::results
