// The protocol module's own state and its reset.

#include "protocol/protocol.h"
#include "protocol/runner_internal.h"

int Num_parameters = 0;
char Load_data_type[10] = "";
int Num_lines = 0;
std::vector<int> Int_values;
std::vector<double> Double_values;
int Control_id = 0;

int CreatePrtHandle = -1;
char Data_type[10] = "";

namespace trelvanix {

int ProtocolKind = kNoStimulus;
std::string LoadedParameter;
StartedStep LastStartedStep;
bool ProtocolFinished = false;

void ResetProtocolState() {
    Num_parameters = 0;
    Load_data_type[0] = '\0';
    Num_lines = 0;
    Int_values.clear();
    Double_values.clear();
    Control_id = 0;
    ProtocolKind = kNoStimulus;
    LoadedParameter.clear();
    LastStartedStep = StartedStep{};
    ProtocolFinished = false;
    ForgetSteppedValue();
    CreatePrtHandle = -1;
    Data_type[0] = '\0';
    ForgetPlayingStep();
}

}  // namespace trelvanix
