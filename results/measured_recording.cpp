#include "results/measured_recording.h"

#include <algorithm>
#include <filesystem>

#include "recording/vnx_reader.h"

namespace trelvanix::results {

namespace {

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

struct OpenedFile {
    const RecordedFile* file = nullptr;
    std::optional<vnx::FileInfo> info;
    std::string error;
    // The scans read: [first, first + values.size() / channels).
    std::int64_t first = 0;
    std::vector<std::int16_t> values;
};

// Where a measurement lies: its file and channel, and its regions as scans of that file.
struct Placement {
    OpenedFile* file = nullptr;
    int channel = -1;
    ScanRange region;
    std::optional<ScanRange> baseline;
    std::string problem;

    std::int64_t spanFirst() const {
        return baseline ? std::min(region.first, baseline->first) : region.first;
    }
    std::int64_t spanEnd() const {
        return baseline ? std::max(region.end, baseline->end) : region.end;
    }
};

// The scans of a region, or the reason it cannot be measured in this file.
std::string placeRegion(const Measurement& m, const char* what, const Region& r,
                        const vnx::FileInfo& info, const std::string& path, int scansWanted,
                        ScanRange* scans) {
    const double rate = info.scanRate;
    scans->first = scanAt(r.start, rate);
    scans->end = scanAt(r.end, rate);
    const std::string region =
        std::string(what) + " (" + formatNumber(r.start) + " to " + formatNumber(r.end) + " ms)";
    if (scans->first < 0 || scans->end > info.scans())
        return m.name + ": the " + region + " reaches outside " + fileName(path) +
               ", which holds " + formatNumber(1000.0 * double(info.scans()) / rate) + " ms.";
    if (scans->end - scans->first < scansWanted)
        return m.name + ": the " + region + " holds " +
               std::to_string(std::max<std::int64_t>(scans->end - scans->first, 0)) +
               " scan(s) at " + std::to_string(info.scanRate) + " scans/s; it needs " +
               std::to_string(scansWanted) + ".";
    return "";
}

Placement place(const Measurement& m, std::vector<OpenedFile>& files) {
    Placement p;
    if (const std::string problem = definitionProblem(m); !problem.empty()) {
        p.problem = problem;
        return p;
    }
    for (OpenedFile& f : files) {
        const auto& inputs = f.file->inputs;
        const auto found = std::find(inputs.begin(), inputs.end(), m.channel);
        if (found == inputs.end()) continue;
        p.file = &f;
        p.channel = int(found - inputs.begin());
        break;
    }
    if (!p.file) {
        p.problem = m.name + ": ai" + std::to_string(m.channel) + " is not in this recording.";
        return p;
    }
    if (!p.file->info) {
        p.problem = m.name + ": " + p.file->error;
        return p;
    }
    const vnx::FileInfo& info = *p.file->info;
    if (info.scanRate <= 0 || p.channel >= info.channels) {
        p.problem = m.name + ": " + fileName(p.file->file->path) + " holds no such channel.";
        return p;
    }
    const std::string& path = p.file->file->path;
    p.problem =
        placeRegion(m, "measurement region", m.region, info, path, scansNeeded(m.kind), &p.region);
    if (p.problem.empty() && m.baseline) {
        p.baseline.emplace();
        p.problem = placeRegion(m, "baseline region", *m.baseline, info, path, 1, &*p.baseline);
    }
    if (p.problem.empty() &&
        (p.spanEnd() - p.spanFirst()) * std::int64_t(info.channels) > kMaxValuesRead)
        p.problem = m.name + ": its regions span more of " + fileName(path) +
                    " than is measured at once; measure shorter regions.";
    return p;
}

// Makes sure the file's scans [first, end) have been read.
bool readSpan(OpenedFile& f, std::int64_t first, std::int64_t end, std::string* error) {
    const int channels = f.info->channels;
    const std::int64_t held = std::int64_t(f.values.size()) / channels;
    if (first >= f.first && end <= f.first + held) return true;
    f.first = first;
    return vnx::readScans(f.file->path, *f.info, first, end - first, &f.values, error);
}

}  // namespace

MeasuredRecording measureRecording(const std::vector<RecordedFile>& files,
                                   const std::vector<Measurement>& measurements) {
    MeasuredRecording result;
    std::vector<OpenedFile> opened(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        opened[k].file = &files[k];
        opened[k].info = vnx::readHeader(files[k].path, &opened[k].error);
        if (!opened[k].info)
            opened[k].error = "cannot read " + files[k].path + ": " + opened[k].error;
    }
    result.stimulusRecorded = !opened.empty() && opened[0].info && opened[0].info->stimulus;

    std::vector<Placement> placed;
    for (const Measurement& m : measurements) placed.push_back(place(m, opened));
    // One read per file when its measurements' regions fit in one span together.
    for (OpenedFile& f : opened) {
        std::int64_t first = INT64_MAX, end = INT64_MIN;
        for (const Placement& p : placed) {
            if (p.file != &f || !p.problem.empty()) continue;
            first = std::min(first, p.spanFirst());
            end = std::max(end, p.spanEnd());
        }
        if (first < end && (end - first) * std::int64_t(f.info->channels) <= kMaxValuesRead) {
            std::string ignored;
            readSpan(f, first, end, &ignored);
        }
    }

    for (std::size_t k = 0; k < measurements.size(); ++k) {
        const Measurement& m = measurements[k];
        Placement& p = placed[k];
        MeasuredValue& v = result.values.emplace_back();
        if (p.file && p.file->info)
            v.unit = valueUnit(m.kind, p.file->info->channel[std::max(p.channel, 0)].unit);
        std::string error;
        if (p.problem.empty() && !readSpan(*p.file, p.spanFirst(), p.spanEnd(), &error))
            p.problem = m.name + ": " + error;
        if (!p.problem.empty()) {
            v.problem = p.problem;
            continue;
        }
        const vnx::FileInfo& info = *p.file->info;
        const vnx::ChannelInfo& channel = info.channel[p.channel];
        const std::int64_t shift = p.file->first;
        const ScanRange region{p.region.first - shift, p.region.end - shift};
        std::optional<ScanRange> baseline;
        if (p.baseline) baseline = ScanRange{p.baseline->first - shift, p.baseline->end - shift};
        v.value = measureCounts(m, p.file->values.data() + p.channel, std::size_t(info.channels),
                                region, baseline, channel, info.scanRate, shift);
    }
    return result;
}

}  // namespace trelvanix::results
