#pragma once
// Display filters: a windowed FIR filter per physical channel, designed here and applied by
// the acquisition loop to what is shown, never to what is recorded. Whenever Filter_type[ch]
// is not 0, Coef[ch] holds exactly Window_size[ch] coefficients designed for the channel's
// stored settings; a design that cannot be made leaves the filter off (Filter_type[ch] 0).

// Shows channel ch's filter settings on the units-and-filters panel.
void update_filters(int ch);
// Stores the panel's filter settings into channel ch and designs its coefficients.
void applyFilters(int ch);
// Dims the filter controls that the kind in the filter ring does not use.
void EnableFilterControls();
// Designs channel ch's coefficients from its stored settings and the sampling rate, after
// checking the cut-offs given; a refused design is reported and switches the filter off.
void FilterData(int kind, double upper, double lower, int ch);
// Redesigns every filtered channel's coefficients for the sampling rate now in force, after
// the rate changed; a cut-off that is no longer below half the new rate switches that filter
// off with the refused design's message.
void RedesignFilters();
