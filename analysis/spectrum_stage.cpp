#include "analysis/spectrum_stage.h"

#include "analysis/spectrum_window.h"
#include "state/shared_state.h"

namespace trelvanix::spectrum {

void SpectrumStage::onRunStart(const daq::RunLayout& layout) {
    ResumeSpectrumCollection(layout.channelList, layout.channels);
}

std::int32_t SpectrumStage::onStretch(daq::StretchContext& stretch) {
    const daq::RunLayout& layout = stretch.layout;
    if (StartFourier == 1 && FourierChan >= 0 && FourierChan < layout.channels)
        CollectSpectrumValues(stretch.display[FourierChan], layout.n,
                              layout.channelList[FourierChan]);
    return 0;
}

void SpectrumStage::onRunEnd() {
    PauseSpectrumCollection();
}

}  // namespace trelvanix::spectrum
