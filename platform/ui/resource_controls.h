#pragma once
// A control's declaration in the panel resource file: the defaults of its kind and the keys it
// may carry. The parser declares the control's name, identifier and callback, and takes a
// button's shortcut; everything else of the declaration is read here.

#include "platform/ui/model.h"
#include "platform/ui/resource_words.h"

namespace trelvanix::ui::uir {

// The data type, value and size a control of its kind has before its keys are read.
void applyKindDefaults(Control& control);
// type=: a data type the control's kind can hold.
void setDataType(Control& control, int dataType);
// The keys every control may carry: label, tooltip, place and size, dimmed, visible, colours.
void applyCommonControlKeys(Control& control, Keys& keys);
// Keys that belong to some kinds only; a key left over is reported as unknown for the kind.
void applyKindKeys(Control& control, Keys& keys);

}  // namespace trelvanix::ui::uir
