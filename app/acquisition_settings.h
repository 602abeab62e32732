#pragma once
// What is acquired: sampling rate, stretch length and stretches per sweep from the menus,
// the channel set from the check boxes, the data folder, and the one-shot alarm. The
// callbacks are declared with the panel constants in "resources/trelvanix_uir.h".

// The alarm-setting and time-up panels; -1 until first used.
extern int TimerSetHandle;
extern int TimeHandle;

namespace trelvanix {
// The data-folder choice forgotten: the next choice starts from DataFolder again.
void ForgetChosenDataFolder();
}  // namespace trelvanix

// After a channel check box changed: rescans the channels and, when the box was unticked,
// makes the highest ticked channel active.
void channelChecked(int control);
