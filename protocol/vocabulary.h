#pragma once
// The protocol vocabulary: the parameter names a protocol may use, each a sub-panel's
// constant name, "_" and the control's own name ("PULSE_MV1"), with the control it designates.

constexpr int kVocabularySize = 70;

extern const char* const Control_name[kVocabularySize];
extern const int ControlId[kVocabularySize];

namespace trelvanix {

// Index of the name in the vocabulary, searched in table order (exact, case-sensitive); -1
// when it is not there.
int FindControlName(const char* name);

}  // namespace trelvanix
