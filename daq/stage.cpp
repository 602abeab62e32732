#include "daq/stage.h"

namespace trelvanix::daq {

bool StageList::add(Stage& stage) {
    if (count_ == kCapacity) return false;
    std::size_t at = count_;
    while (at > 0 && stages_[at - 1]->order() > stage.order()) {
        stages_[at] = stages_[at - 1];
        --at;
    }
    stages_[at] = &stage;
    ++count_;
    return true;
}

void StageList::runStart(const RunLayout& layout) const {
    for (std::size_t i = 0; i < count_; ++i) stages_[i]->onRunStart(layout);
}

std::int32_t StageList::stretch(StretchContext& stretch) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (const std::int32_t status = stages_[i]->onStretch(stretch); status < 0) return status;
    return 0;
}

void StageList::runEnd() const {
    for (std::size_t i = 0; i < count_; ++i) stages_[i]->onRunEnd();
}

StageList& AcquisitionStages() {
    static StageList stages;
    return stages;
}

}  // namespace trelvanix::daq
