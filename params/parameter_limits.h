#pragma once
// What a parameter file may hold, taken from the panel resource file: each numeric control's
// range and the values each ring and check box offers, by the control's constant name. The
// board and the menus add what they offer.

#include <string>

#include "params/parameter_set.h"
#include "platform/ui/resource.h"

namespace trelvanix::params {

ParameterLimits LimitsFromResource(const ui::ResourceFile& resource);
// The identifier of the control with constant name `name` ("ZAP_FREQ_START"), or -1.
int ControlIdOf(const ui::ResourceFile& resource, const std::string& name);

}  // namespace trelvanix::params
