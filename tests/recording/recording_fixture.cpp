#include "tests/recording/recording_fixture.h"

#include <algorithm>

#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "state/shared_state.h"

namespace trelvanix::testing {

void RecordingTest::SetUp() {
    ProgramTest::SetUp();
    ASSERT_TRUE(startProgram());
    ::testing::internal::CaptureStdout();
}

void RecordingTest::TearDown() {
    ::testing::internal::GetCapturedStdout();
    ProgramTest::TearDown();
}

void RecordingTest::acquire(const std::vector<int>& channels, int rate, double secondsPerStretch) {
    NumChannels = 0;
    for (int ch = 0; ch < 8; ++ch) {
        const bool on = std::find(channels.begin(), channels.end(), ch) != channels.end();
        SetCtrlVal(panelHandle, CheckID[ch], on ? 1 : 0);
        ChannelList[ch] = -1;
    }
    for (int ch : channels) ChannelList[NumChannels++] = static_cast<short>(ch);
    Old_NumChannels = NumChannels;
    NumScans = rate;
    Sec_per_stretch = secondsPerStretch;
    BufferSize = static_cast<int>(rate * secondsPerStretch) * NumChannels;
    delete[] HalfBuffer;
    HalfBuffer = new short[BufferSize];
    Acquiring = 1;
}

void RecordingTest::saveStretch() {
    const int scans = BufferSize / NumChannels;
    for (int j = 0; j < scans; ++j)
        for (int i = 0; i < NumChannels; ++i)
            HalfBuffer[j * NumChannels + i] = stretchValue(stretchesSaved, j, i);
    ++stretchesSaved;
    if (Save_status != 0) SaveAll();
}

void RecordingTest::saveStretches(int count) {
    for (int k = 0; k < count; ++k) saveStretch();
}

std::vector<std::filesystem::path> RecordingTest::dataFiles(
    const std::filesystem::path& where) const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(where.empty() ? folder : where))
        if (entry.path().extension() == ".vnx") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

vnx::FileInfo RecordingTest::header(const std::filesystem::path& file) const {
    std::string error;
    const auto info = vnx::readHeader(file.string(), &error);
    EXPECT_TRUE(info) << file << ": " << error;
    return info.value_or(vnx::FileInfo{});
}

std::vector<std::int16_t> RecordingTest::samples(const std::filesystem::path& file) const {
    const vnx::FileInfo info = header(file);
    std::vector<std::int16_t> values;
    std::string error;
    EXPECT_TRUE(vnx::readScans(file.string(), info, 0, info.scans(), &values, &error)) << error;
    return values;
}

std::string RecordingTest::popups() {
    std::string text = ::testing::internal::GetCapturedStdout();
    ::testing::internal::CaptureStdout();
    return text;
}

}  // namespace trelvanix::testing
