#include "params/parameter_limits.h"

#include <variant>

namespace trelvanix::params {

namespace {

void addControl(const ui::Control& control, ParameterLimits& limits) {
    switch (control.kind) {
        case ui::ControlKind::Numeric:
            limits.ranges[control.constantName] = Range{control.minValue, control.maxValue};
            break;
        case ui::ControlKind::CheckBox:
            limits.choices[control.constantName] = {0.0, 1.0};
            break;
        case ui::ControlKind::Ring: {
            std::vector<double>& offered = limits.choices[control.constantName];
            for (const ui::ListItem& item : control.items) {
                if (const int* whole = std::get_if<int>(&item.value)) offered.push_back(*whole);
                if (const double* real = std::get_if<double>(&item.value)) offered.push_back(*real);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

ParameterLimits LimitsFromResource(const ui::ResourceFile& resource) {
    ParameterLimits limits;
    for (const ui::Panel& panel : resource.panels)
        for (const ui::Control& control : panel.controls) addControl(control, limits);
    return limits;
}

int ControlIdOf(const ui::ResourceFile& resource, const std::string& name) {
    for (const ui::Panel& panel : resource.panels)
        for (const ui::Control& control : panel.controls)
            if (control.constantName == name) return control.id;
    return -1;
}

}  // namespace trelvanix::params
