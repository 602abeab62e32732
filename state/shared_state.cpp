#include "state/shared_state.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "resources/trelvanix_uir.h"

int panelHandle;
int InjectHandle;
int Handle[7];
int UnitsHandle;
int FourierHandle;
int ProtocolHandle;
int IntervalpanelHandle;

int NumScans;
double Ds;
double Sec_per_stretch;
int Stretches;
int NumChannels;
int Old_NumChannels;
short ChannelList[8];
int Activechannel;
// The identifier tables come from the constants generated from trelvanix.uir.
const int CheckID[8] = {PANEL_CHECK_0, PANEL_CHECK_1, PANEL_CHECK_2, PANEL_CHECK_3,
                        PANEL_CHECK_4, PANEL_CHECK_5, PANEL_CHECK_6, PANEL_CHECK_7};
const int ChanID[8] = {PANEL_LABEL_0, PANEL_LABEL_1, PANEL_LABEL_2, PANEL_LABEL_3,
                       PANEL_LABEL_4, PANEL_LABEL_5, PANEL_LABEL_6, PANEL_LABEL_7};
const int SampRateID[12] = {MENUBAR_RATE_KS_0_1, MENUBAR_RATE_KS_0_25, MENUBAR_RATE_KS_0_5,
                            MENUBAR_RATE_KS_1,   MENUBAR_RATE_KS_2,    MENUBAR_RATE_KS_2_5,
                            MENUBAR_RATE_KS_3,   MENUBAR_RATE_KS_4,    MENUBAR_RATE_KS_5,
                            MENUBAR_RATE_KS_10,  MENUBAR_RATE_KS_20,   MENUBAR_RATE_KS_50};
const double SampRateIDVal[12] = {0.1, 0.25, 0.5, 1, 2, 2.5, 3, 4, 5, 10, 20, 50};
const int MSPerStretchID[13] = {
    MENUBAR_STRETCH_S_0_001, MENUBAR_STRETCH_S_0_002, MENUBAR_STRETCH_S_0_005,
    MENUBAR_STRETCH_S_0_01,  MENUBAR_STRETCH_S_0_02,  MENUBAR_STRETCH_S_0_05,
    MENUBAR_STRETCH_S_0_1,   MENUBAR_STRETCH_S_0_2,   MENUBAR_STRETCH_S_0_5,
    MENUBAR_STRETCH_S_1,     MENUBAR_STRETCH_S_2,     MENUBAR_STRETCH_S_5,
    MENUBAR_STRETCH_S_10};
const double MSPerStretchIDVal[13] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,
                                      0.2,   0.5,   1,     2,    5,    10};
const int StretchID[9] = {MENUBAR_SWEEP_N_1,  MENUBAR_SWEEP_N_2,   MENUBAR_SWEEP_N_5,
                          MENUBAR_SWEEP_N_10, MENUBAR_SWEEP_N_20,  MENUBAR_SWEEP_N_40,
                          MENUBAR_SWEEP_N_50, MENUBAR_SWEEP_N_100, MENUBAR_SWEEP_N_200};
const int StretchIDVal[9] = {1, 2, 5, 10, 20, 40, 50, 100, 200};

double AIVoltageRanges[128];
int AIVRngBipolarOffset;
int AILimitsIndex[8];
float GainList[8];

double Gain_Factor[8];
double Offset[8];
double Scale_factor[8];
char Units[8][3];
int Colors[8];
int GraphHeight;

int Filter_type[8];
int Window_type[8];
int Window_size[8];
double Flp[8];
double Fhp[8];
double* Coef[8];

int BufferSize;
short* HalfBuffer;
short* FullBuffer;
double* Scaled_Waveforms[8];

int Acquiring;
int Count;
int Vanix_Mode;
int Hold_status;
int Record;
int Save_status;
int FirstTime;
int Skipping;
int AutoSave;
int Fd;

double Real_time;
double Saving_interval;
double Skip_interval;
double SaveTime;
double Timer_start;
double Time;
double TotalTime_in_sec;
double Run_time;
double Protocol_time;

int Injection;
int Continuous_inject;
int Output_Alternate;
int Save_inject;
double* WF_buffer;
int Num_wf_points;
double Samples_per_sec_in_wfm;
short Device;
char Channel_name[4];
int Protocol;
int Line;

int Waveform;
double Pulse_amp[5];
double Pulse_dur[5];
double Ramp_amp[5];
double Ramp_dur[5];
short Pulse_amp_idx[5];
short Pulse_dur_idx[5];
short Ramp_amp_idx[5];
short Ramp_dur_idx[5];
double Baseline;
double Interbaseline;
double Interburst;
int Num_burst;
int Num_repeats;
int Duration;
int Pre_time;
int Post_time;
double Dur;
double Frequency;
double Phase;
double Duty_cycle;
double WF_amp;
double Noise_strength;
double Noise_tau;
double Conversion;
double* Cell_array;
int CellPhase;

int StartFourier;
int FourierChan;
double* FourierData;
int DataCount;
int LengthForAnalysis;

namespace trelvanix {

namespace {

template <typename T>
void release(T*& block) {
    delete[] block;
    block = nullptr;
}

template <typename T, std::size_t N, typename V>
void fill(T (&array)[N], V value) {
    std::fill(std::begin(array), std::end(array), static_cast<T>(value));
}

template <typename T, std::size_t N>
void assign(T (&array)[N], std::initializer_list<T> values) {
    std::copy(values.begin(), values.end(), array);
}

// Runs once before main, so the variables hold their initial values from the start.
const bool initialised = (ResetSharedState(), true);

}  // namespace

void ResetSharedState() {
    panelHandle = 0;
    InjectHandle = 0;
    fill(Handle, 0);
    UnitsHandle = 0;
    FourierHandle = 0;
    ProtocolHandle = -1;
    IntervalpanelHandle = 0;

    NumScans = 4000;
    Ds = 0.00025;
    Sec_per_stretch = 0.1;
    Stretches = 100;
    NumChannels = 1;
    Old_NumChannels = 1;
    fill(ChannelList, -1);
    ChannelList[0] = 0;
    Activechannel = 0;

    fill(AIVoltageRanges, 0.0);
    AIVRngBipolarOffset = 0;
    fill(AILimitsIndex, 0);
    fill(GainList, 1.0f);

    fill(Gain_Factor, 1.0);
    fill(Offset, 0.0);
    fill(Scale_factor, 1.0);
    for (auto& unit : Units) std::strcpy(unit, "V");
    assign(Colors,
           {0x0000FF, 0xFF0000, 0x00A000, 0xA0A0A0, 0x000080, 0x800000, 0x008000, 0x000000});
    GraphHeight = 0;

    fill(Filter_type, 0);
    fill(Window_type, 2);
    fill(Window_size, 55);
    fill(Flp, 500.0);
    fill(Fhp, 500.0);
    for (double*& c : Coef) release(c);

    BufferSize = 0;
    release(HalfBuffer);
    release(FullBuffer);
    for (double*& w : Scaled_Waveforms) release(w);

    Acquiring = 0;
    Count = 0;
    Vanix_Mode = 0;
    Hold_status = 0;
    Record = 0;
    Save_status = 0;
    FirstTime = 0;
    Skipping = 0;
    AutoSave = 0;
    Fd = -1;

    Real_time = 0.0;
    Saving_interval = 60.0;
    Skip_interval = 0.0;
    SaveTime = 60.0;
    Timer_start = 0.0;
    Time = 0.0;
    TotalTime_in_sec = 0.0;
    Run_time = 1.0;
    Protocol_time = 0.0;

    Injection = 0;
    Continuous_inject = 0;
    Output_Alternate = 0;
    Save_inject = 0;
    release(WF_buffer);
    Num_wf_points = 0;
    Samples_per_sec_in_wfm = 1000.0;
    Device = 1;
    Channel_name[0] = '\0';
    Protocol = 0;
    Line = 0;

    Waveform = -1;
    assign(Pulse_amp, {1000.0, 0.0, 0.0, 0.0, 0.0});
    assign(Pulse_dur, {100.0, 100.0, 0.0, 0.0, 0.0});
    assign(Ramp_amp, {0.0, 1000.0, 0.0, 0.0, 0.0});
    assign(Ramp_dur, {100.0, 100.0, 0.0, 0.0, 0.0});
    assign(Pulse_amp_idx, {short{11}, short{9}, short{7}, short{5}, short{2}});
    assign(Pulse_dur_idx, {short{12}, short{10}, short{8}, short{6}, short{4}});
    assign(Ramp_amp_idx, {short{11}, short{9}, short{7}, short{5}, short{2}});
    assign(Ramp_dur_idx, {short{12}, short{10}, short{8}, short{6}, short{4}});
    Baseline = 0.0;
    Interbaseline = 0.0;
    Interburst = 0.0;
    Num_burst = 1;
    Num_repeats = 1;
    Duration = 5000;
    Pre_time = 500;
    Post_time = 500;
    Dur = 5.0;
    Frequency = 5.0;
    Phase = 0.0;
    Duty_cycle = 0.5;
    WF_amp = 1000.0;
    Noise_strength = 500.0;
    Noise_tau = 0.5;
    Conversion = 20.0;
    release(Cell_array);
    CellPhase = 0;

    StartFourier = 0;
    FourierChan = 0;
    FourierData = nullptr;  // the spectrum window's collection, which it frees
    DataCount = 0;
    LengthForAnalysis = 0;
}

}  // namespace trelvanix
