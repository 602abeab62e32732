// The stepped control's own value: a protocol writes its values into the control, and when
// the protocol ends or is stopped the control gets back the value the operator had set, so
// the stimulus is the operator's again.

#include "platform/ui/toolkit.h"
#include "protocol/protocol.h"
#include "protocol/runner_internal.h"
#include "state/program_events.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"

namespace trelvanix {

namespace {

struct KeptValue {
    bool kept = false;
    int panel = 0, control = 0;
    double value = 0.0;
} keptValue;

}  // namespace

void KeepSteppedValue() {
    if (keptValue.kept || ProtocolKind == kNoStimulus) return;
    const int panel = Handle[ProtocolKind];
    if (GetCtrlVal(panel, Control_id, &keptValue.value) < 0) return;
    keptValue = {true, panel, Control_id, keptValue.value};
}

void PutBackSteppedValue() {
    if (!keptValue.kept) return;
    keptValue.kept = false;
    SetCtrlVal(keptValue.panel, keptValue.control, keptValue.value);
    // The preview shows the operator's stimulus again; one playing still plays what it started.
    if (Waveform >= 0 && Waveform <= 6 && keptValue.panel == Handle[Waveform]) InitializeGlobals();
}

void ForgetSteppedValue() {
    keptValue = KeptValue{};
}

void WatchStimulusEnds() {
    events::Subscribe([](const events::Event& event) {
        if (event.kind != events::Kind::StimulusEnded) return;
        if (Protocol == 0) PutBackSteppedValue();
        ShowProtocolState();
        // The protocol's step finishes with its stimulus.
        NoteStimulusEnded(event.number >= 0);
    });
}

}  // namespace trelvanix
