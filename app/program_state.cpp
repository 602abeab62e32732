#include "app/program_state.h"

#include "analysis/spectrum_window.h"
#include "app/acquisition_settings.h"
#include "app/display_controls.h"
#include "app/messages_window.h"
#include "app/remote_listening.h"
#include "daq/acquisition.h"
#include "daq/analog_output.h"
#include "params/parameter_files.h"
#include "platform/driver/fault_injection.h"
#include "platform/driver/simulated_board.h"
#include "platform/ui/error_output.h"
#include "platform/ui/file_system.h"
#include "platform/ui/model.h"
#include "platform/ui/runtime_files.h"
#include "protocol/protocol.h"
#include "recording/recording.h"
#include "results/results.h"
#include "state/program_events.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"
#include "stimulus/stimulus.h"
#include "stimulus/waveform_files.h"

namespace trelvanix {

void ResetProgramState() {
    ResetAcquisitionState();
    ResetRecordingState();
    ResetInjectionState();
    ResetStimulusState();
    ResetAnalogOutputState();
    ResetSpectrumWindow();
    ResetSharedState();
    ResetProtocolState();
    results::ResetResultsState();
    events::ResetProgramEvents();
    StopListening();

    TimerSetHandle = -1;
    TimeHandle = -1;
    MoveSig = 0;
    ForgetChosenDataFolder();
    ResetMessagesWindow();
    ui::setErrorOutputListener(nullptr);
    ResetWaveformFileState();
    ForgetRecentParameterFiles();

    ui::Model& model = ui::Model::instance();
    model.setScript(nullptr);
    model.setRemote(nullptr);
    model.reset();
    ForgetOpenFiles();
    ui::installFileSystem(nullptr);
    driver::resetSimulatedBoard();
    driver::clearDriverFaults();
}

}  // namespace trelvanix
