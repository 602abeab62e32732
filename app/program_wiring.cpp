#include "app/program_wiring.h"

#include <string>

#include "analysis/spectrum_stage.h"
#include "app/messages_window.h"
#include "app/remote_listening.h"
#include "daq/acquisition.h"
#include "daq/stage.h"
#include "daq/stretch_stages.h"
#include "platform/ui/error_output.h"
#include "platform/ui/popup_listener.h"
#include "protocol/protocol.h"
#include "protocol/protocol_step_stage.h"
#include "recording/recording.h"
#include "recording/saving_stage.h"
#include "results/results.h"
#include "state/panel_states.h"
#include "state/program_events.h"
#include "stimulus/injection.h"
#include "stimulus/stimulus_end_stage.h"

namespace trelvanix {

namespace {

// The acquisition loop's stages. Each is placed by its StageOrder key, so a new subsystem's
// stage (stimulus end, protocol step, spectrum) is one more line here.
void assembleAcquisitionStages() {
    static StimulusEndStage stimulusEnd;
    static protocol::ProtocolStepStage protocolStep;
    static daq::ReadConvertStage readConvert;
    static recording::SavingStage saving;
    static daq::ElapsedTimeStage elapsedTime;
    static daq::DisplayValuesStage displayValues;
    static spectrum::SpectrumStage spectrum;
    static daq::DrawingStage drawing;

    daq::StageList& stages = daq::AcquisitionStages();
    stages.clear();
    stages.add(stimulusEnd);
    stages.add(protocolStep);
    stages.add(readConvert);
    stages.add(saving);
    stages.add(elapsedTime);
    stages.add(displayValues);
    stages.add(spectrum);
    stages.add(drawing);
}

// A recorded stimulus's files are made before its output starts, so that a stimulus that
// cannot be recorded is never played.
void startRecordedStimulusWithItsFiles() {
    const std::string failure = recording::PrepareRecordedStimulusFiles();
    if (!failure.empty()) {
        AbandonRecordedStimulus("was not played: it could not be recorded.", failure);
        return;
    }
    if (!StartRecordedStimulus()) recording::DiscardPreparedFiles();
}

// The toolkit's pop-ups become program events.
void wireProgramEvents() {
    ui::setPopupListener([](const ui::PopupShown& popup) {
        events::Event shown{events::Kind::PopupShown};
        shown.name = popup.kind;
        shown.title = popup.title;
        shown.text = popup.text;
        events::Publish(shown);
    });
}

}  // namespace

void WireProgram() {
    assembleAcquisitionStages();
    SetRecordingEnd(record_stop);
    ui::setErrorOutputListener(ShowMessages);
    events::Subscribe([](const events::Event& event) {
        if (event.kind == events::Kind::Notice) KeepMessage(event.text);
    });
    WatchStimulusEnds();
    // A recorded stimulus starts with the acquisition restart it asked for and stops when its
    // saving period ends.
    SetRecordedStimulusStart(startRecordedStimulusWithItsFiles);
    recording::SetRecordedStimulusStop(Stop_inject);
    SetAfterAcquisition(FinishStimulusAfterAcquisition);
    SetRunFailed(EndRecordedStimulusOnRunFailure);
    // Every finalised recording is measured once, after its files are closed.
    events::Subscribe(results::MeasureFinishedRecording);
    wireProgramEvents();
    WireRemoteControl();
}

}  // namespace trelvanix
