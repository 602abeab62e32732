#pragma once
// The program in the test's process (real panels, headless, simulated clock) with stretches
// made up by the test, so that recording can be driven stretch by stretch as the acquisition
// loop drives it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "recording/vnx_reader.h"
#include "tests/app/program_fixture.h"

namespace trelvanix::testing {

class RecordingTest : public ProgramTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Ticks exactly these channels and makes them the acquired ones, with stretches of
    // `scans` samples per channel at `rate` samples per second.
    void acquire(const std::vector<int>& channels, int rate = 4000, double secondsPerStretch = 0.1);
    // Fills the stretch with its pattern (stretchValue) and hands it to SaveAll.
    void saveStretch();
    void saveStretches(int count);
    // The value of scan j, position i, of stretch k: distinct for every sample.
    static short stretchValue(int k, int j, int i) {
        return static_cast<short>(i * 5000 + (k * 97 + j) % 4000);
    }

    // The .vnx files in the test's folder (or another), sorted by name.
    std::vector<std::filesystem::path> dataFiles(const std::filesystem::path& where = {}) const;
    vnx::FileInfo header(const std::filesystem::path& file) const;
    std::vector<std::int16_t> samples(const std::filesystem::path& file) const;
    // What the front end printed (pop-ups) since the last call.
    std::string popups();

    int stretchesSaved = 0;
};

}  // namespace trelvanix::testing
