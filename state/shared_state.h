#pragma once
// The program-wide state that more than one subsystem reads or writes, under its one name.
// Everything runs on the user-interface thread, so these are plain variables. Heap blocks
// (the pointers) are allocated with new[] by the subsystem that owns them.

#include <cstdint>

// Main panel and sub-panel handles.
extern int panelHandle;
extern int InjectHandle;
extern int Handle[7];  // pulse, ramp, cell, frequency sweep, Poisson, sine, noise
extern int UnitsHandle;
extern int FourierHandle;
extern int ProtocolHandle;
extern int IntervalpanelHandle;

// Acquisition configuration.
extern int NumScans;  // samples per second per channel
extern double Ds;     // sample interval, seconds
extern double Sec_per_stretch;
extern int Stretches;  // stretches per sweep
extern int NumChannels;
extern int Old_NumChannels;
extern short ChannelList[8];  // physical channels acquired, ascending; -1 after the last
extern int Activechannel;
extern const int CheckID[8];  // main-panel check boxes, by physical channel
extern const int ChanID[8];   // main-panel label boxes, by physical channel
extern const int SampRateID[12];
extern const double SampRateIDVal[12];  // kilosamples per second
extern const int MSPerStretchID[13];
extern const double MSPerStretchIDVal[13];  // seconds
extern const int StretchID[9];
extern const int StretchIDVal[9];

// Board ranges and gains.
extern double AIVoltageRanges[128];
extern int AIVRngBipolarOffset;
extern int AILimitsIndex[8];
extern float GainList[8];

// Display scaling, by physical channel.
extern double Gain_Factor[8];
extern double Offset[8];
extern double Scale_factor[8];
extern char Units[8][3];
extern int Colors[8];
extern int GraphHeight;

// Display filters, by physical channel.
extern int Filter_type[8];
extern int Window_type[8];
extern int Window_size[8];
extern double Flp[8];
extern double Fhp[8];
extern double* Coef[8];

// Per-stretch buffers.
extern int BufferSize;
extern short* HalfBuffer;
extern short* FullBuffer;
extern double* Scaled_Waveforms[8];  // by position in ChannelList

// Run state.
extern int Acquiring;
extern int Count;
extern int Vanix_Mode;
extern int Hold_status;
extern int Record;
extern int Save_status;
extern int FirstTime;
extern int Skipping;
extern int AutoSave;
extern int Fd;

// Times and intervals, seconds.
extern double Real_time;
extern double Saving_interval;
extern double Skip_interval;
extern double SaveTime;
extern double Timer_start;
extern double Time;
extern double TotalTime_in_sec;
extern double Run_time;
extern double Protocol_time;

// Stimulus output state.
extern int Injection;
extern int Continuous_inject;
extern int Output_Alternate;
extern int Save_inject;
extern double* WF_buffer;
extern int Num_wf_points;
extern double Samples_per_sec_in_wfm;
extern short Device;
extern char Channel_name[4];
extern int Protocol;
extern int Line;

// Stimulus parameters.
extern int Waveform;
extern double Pulse_amp[5];
extern double Pulse_dur[5];
extern double Ramp_amp[5];
extern double Ramp_dur[5];
extern short Pulse_amp_idx[5];
extern short Pulse_dur_idx[5];
extern short Ramp_amp_idx[5];
extern short Ramp_dur_idx[5];
extern double Baseline;
extern double Interbaseline;
extern double Interburst;
extern int Num_burst;
extern int Num_repeats;
extern int Duration;
extern int Pre_time;
extern int Post_time;
extern double Dur;
extern double Frequency;
extern double Phase;
extern double Duty_cycle;
extern double WF_amp;
extern double Noise_strength;
extern double Noise_tau;
extern double Conversion;
extern double* Cell_array;
extern int CellPhase;

// Spectrum accumulation.
extern int StartFourier;
extern int FourierChan;
extern double* FourierData;  // the spectrum window's collection, held by the window
extern int DataCount;
extern int LengthForAnalysis;

namespace trelvanix {
// Puts every shared variable back to its initial value and frees the heap blocks, so that
// one test or scripted run starts from the state of a freshly started program.
void ResetSharedState();
}  // namespace trelvanix
