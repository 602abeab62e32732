#pragma once
// The spectrum window: the operator picks an acquired channel and a collection length, and
// while acquisition runs the channel's displayed values are collected into FourierData; each
// full buffer is drawn as power against frequency and collection starts over. The panel's
// callbacks (ShowFourier, StartFourierTr, StopFourier, SetFourierGraph, CancelFourier,
// SpectrumWindowClose) are declared with its constants in "resources/trelvanix_uir.h".

// The longest collection a start accepts, in values.
constexpr int kLongestSpectrum = 1 << 20;

// Draws the spectrum of the full buffer (LengthForAnalysis values of FourierData) and sets
// DataCount back to 0, so the next values refill the same buffer.
void DoFourierTr();

// Appends the displayed values `shown` (n of them) of physical channel ch, in the channel's
// unit, to the collection; once the buffer is full the spectrum is drawn and the rest of the
// block is not collected. Does nothing while no collection runs.
void CollectSpectrumValues(const double* shown, int n, int ch);

// At the start of an acquisition run, with the run's channels by position: a running
// collection goes on with its channel at that channel's new position (not at all while the
// channel is not acquired), and starts its buffer over when the sampling rate has changed.
void ResumeSpectrumCollection(const short* channelList, int channels);

// At the end of an acquisition run, however it ended: the collection waits for the next run
// with its buffer kept; its lamp goes out.
void PauseSpectrumCollection();

// Forgets the collection under way (its working arrays, which FourierData points into, and
// channel), as at program start; FourierData and the counts are the shared state's to reset.
void ResetSpectrumWindow();
