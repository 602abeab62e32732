#include "tests/results/vnx_test_file.h"

#include <fstream>

namespace trelvanix::testing {

std::string writeVnxFile(const std::string& path, int scanRate,
                         const std::vector<TestChannel>& channels, bool stimulus) {
    vnx::HeaderContent content;
    content.scanRate = scanRate;
    for (const TestChannel& c : channels) {
        vnx::ChannelHeader h;
        h.boardGain = c.boardGain;
        h.scaleFactor = c.scaleFactor;
        h.unit = c.unit;
        content.channels.push_back(h);
    }
    if (stimulus) {
        content.stimulus.emplace();
        content.stimulus->waveform = 0;
        content.stimulus->conversion = 20;
    }
    std::string bytes = vnx::encodeHeader(content).bytes;
    for (std::size_t scan = 0; scan < channels.front().counts.size(); ++scan)
        for (const TestChannel& c : channels) vnx::putInt16(bytes, c.counts[scan]);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

}  // namespace trelvanix::testing
