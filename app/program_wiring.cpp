#include "app/program_wiring.h"

#include "app/messages_window.h"
#include "app/state/panel_states.h"
#include "daq/stage.h"
#include "daq/stretch_stages.h"
#include "platform/ui/error_output.h"
#include "recording/recording.h"
#include "recording/saving_stage.h"

namespace trelvanix {

namespace {

// The acquisition loop's stages. Each is placed by its StageOrder key, so a new subsystem's
// stage (stimulus end, protocol step, spectrum) is one more line here.
void assembleAcquisitionStages() {
    static daq::ReadConvertStage readConvert;
    static recording::SavingStage saving;
    static daq::ElapsedTimeStage elapsedTime;
    static daq::DisplayValuesStage displayValues;
    static daq::DrawingStage drawing;

    daq::StageList& stages = daq::AcquisitionStages();
    stages.clear();
    stages.add(readConvert);
    stages.add(saving);
    stages.add(elapsedTime);
    stages.add(displayValues);
    stages.add(drawing);
}

}  // namespace

void WireProgram() {
    assembleAcquisitionStages();
    SetRecordingEnd(record_stop);
    ui::setErrorOutputListener(ShowMessages);
}

}  // namespace trelvanix
