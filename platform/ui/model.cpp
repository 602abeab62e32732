#include "platform/ui/model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/clock/clock.h"
#include "platform/ui/front_end.h"

namespace trelvanix::ui {

namespace {
constexpr double kNever = std::numeric_limits<double>::infinity();
// Control ids below this have their place remembered (the resource file's are far fewer).
constexpr int kMaxRememberedId = 4096;

// Where the plot area sits inside a graph until a front end lays the graph out: room for
// the y labels on the left and the x labels below.
Rect defaultPlotArea(const Rect& graph) {
    return Rect{56, 12, std::max(1, graph.width - 68), std::max(1, graph.height - 40)};
}
}  // namespace

const Control* Panel::lookUp(int id) const {
    if (id >= 0 && std::size_t(id) < slotById_.size()) {
        const int slot = slotById_[std::size_t(id)];
        if (slot >= 0 && std::size_t(slot) < controls.size() && controls[slot].id == id)
            return &controls[slot];
    }
    for (std::size_t slot = 0; slot < controls.size(); ++slot) {
        if (controls[slot].id != id) continue;
        if (id >= 0 && id < kMaxRememberedId) {
            if (slotById_.size() <= std::size_t(id)) slotById_.resize(std::size_t(id) + 1, -1);
            slotById_[std::size_t(id)] = static_cast<int>(slot);
        }
        return &controls[slot];
    }
    return nullptr;
}

Control* Panel::find(int id) {
    return const_cast<Control*>(lookUp(id));
}

const Control* Panel::find(int id) const {
    return lookUp(id);
}

Control* Panel::findByName(const std::string& name) {
    for (Control& c : controls)
        if (c.name == name || c.constantName == name) return &c;
    return nullptr;
}

Model& Model::instance() {
    static Model model;
    return model;
}

void Model::reset() {
    panels_.clear();
    menuBars_.clear();
    queue_.clear();
    nextPanelHandle_ = 1;
    nextMenuBarHandle_ = 1;
    quitRequested = false;
    quitCode = 0;
    clipboard.clear();
}

Panel* Model::panel(int handle) {
    auto it = panels_.find(handle);
    return it == panels_.end() ? nullptr : &it->second;
}

Control* Model::control(int panelHandle, int controlId) {
    Panel* p = panel(panelHandle);
    return p ? p->find(controlId) : nullptr;
}

MenuBar* Model::menuBar(int handle) {
    auto it = menuBars_.find(handle);
    return it == menuBars_.end() ? nullptr : &it->second;
}

MenuItem* Model::menuItem(int menuBarHandle, int item) {
    MenuBar* bar = menuBar(menuBarHandle);
    if (!bar) return nullptr;
    for (MenuItem& i : bar->items)
        if (i.id == item) return &i;
    return nullptr;
}

Panel* Model::panelByConstantName(const std::string& name) {
    // The most recently loaded panel of that name wins, as an operator sees the newest window.
    for (auto it = panels_.rbegin(); it != panels_.rend(); ++it)
        if (it->second.constantName == name) return &it->second;
    return nullptr;
}

int Model::addPanel(Panel panel, std::optional<MenuBar> bar) {
    const int handle = nextPanelHandle_++;
    panel.handle = handle;
    panel.visible = false;
    const double now = programClock().seconds();
    panel.timerSlots.clear();
    for (std::size_t slot = 0; slot < panel.controls.size(); ++slot) {
        Control& c = panel.controls[slot];
        if (c.kind == ControlKind::Graph) {
            if (!c.graph) c.graph.emplace();
            if (c.graph->plotArea.width == 0) c.graph->plotArea = defaultPlotArea(c.rect);
        }
        if (c.kind == ControlKind::Timer) {
            c.nextTick = now + c.interval;
            panel.timerSlots.push_back(slot);
        }
    }
    if (bar) {
        bar->handle = nextMenuBarHandle_++;
        bar->panel = handle;
        panel.menuBar = bar->handle;
        menuBars_.emplace(bar->handle, std::move(*bar));
    } else {
        panel.menuBar = 0;
    }
    panels_.emplace(handle, std::move(panel));
    if (frontEnd_) frontEnd_->panelAdded(handle);
    return handle;
}

void Model::removePanel(int handle) {
    auto it = panels_.find(handle);
    if (it == panels_.end()) return;
    if (frontEnd_) frontEnd_->panelRemoved(handle);
    if (it->second.menuBar) menuBars_.erase(it->second.menuBar);
    panels_.erase(it);
    std::erase_if(queue_, [handle](const Event& e) { return e.panel == handle; });
}

void Model::post(const Event& event) {
    queue_.push_back(event);
}

bool Model::isPending(int panelHandle, int controlId, int type) const {
    return std::any_of(queue_.begin(), queue_.end(), [&](const Event& e) {
        return e.target == Event::Target::Control && e.panel == panelHandle &&
               e.control == controlId && e.type == type;
    });
}

void Model::queueDueTimerTicks() {
    const double now = programClock().seconds();
    for (auto& [handle, p] : panels_) {
        for (const std::size_t slot : p.timerSlots) {
            Control& c = p.controls[slot];
            if (!c.enabled || c.nextTick > now) continue;
            post(Event{Event::Target::Control, handle, c.id, EVENT_TIMER_TICK, 0, 0});
            // A program that fell behind gets one tick, not a burst of stale ones.
            c.nextTick += c.interval;
            if (c.nextTick <= now) c.nextTick = now + c.interval;
        }
    }
}

double Model::nextTimerTick() const {
    double next = kNever;
    for (const auto& [handle, p] : panels_)
        for (const std::size_t slot : p.timerSlots)
            if (const Control& c = p.controls[slot]; c.enabled) next = std::min(next, c.nextTick);
    return next;
}

bool Model::dispatchOne(int* panelOut, int* controlOut, int* typeOut) {
    queueDueTimerTicks();
    if (queue_.empty()) return false;
    const Event e = queue_.front();
    queue_.pop_front();
    if (panelOut) *panelOut = e.panel;
    if (controlOut) *controlOut = e.control;
    if (typeOut) *typeOut = e.type;
    // Callbacks may load or discard panels and poll for more events, so nothing from the
    // model is held across the call: only the callback pointer and its data are copied.
    switch (e.target) {
        case Event::Target::Control: {
            Control* c = control(e.panel, e.control);
            if (c && c->callback) {
                auto callback = c->callback;
                void* data = c->callbackData;
                callback(e.panel, e.control, e.type, data, e.data1, e.data2);
            }
            break;
        }
        case Event::Target::Panel: {
            Panel* p = panel(e.panel);
            if (p && p->callback) {
                auto callback = p->callback;
                callback(e.panel, e.type, nullptr, e.data1, e.data2);
            }
            break;
        }
        case Event::Target::Menu: {
            Panel* p = panel(e.panel);
            MenuItem* item = p ? menuItem(p->menuBar, e.control) : nullptr;
            if (item && item->callback) {
                auto callback = item->callback;
                callback(p->menuBar, e.control, nullptr, e.panel);
            }
            break;
        }
        case Event::Target::Deferred:
            if (e.deferred) e.deferred(e.deferredData);
            break;
    }
    return true;
}

void Model::controlChanged(int panelHandle, int controlId) {
    if (frontEnd_) frontEnd_->controlChanged(panelHandle, controlId);
}

void Model::plotsChanged(int panelHandle, int controlId) {
    if (frontEnd_) frontEnd_->plotsChanged(panelHandle, controlId);
}

void Model::panelChanged(int panelHandle) {
    if (frontEnd_) frontEnd_->panelChanged(panelHandle);
}

void Model::menuChanged(int menuBarHandle) {
    if (frontEnd_) frontEnd_->menuChanged(menuBarHandle);
}

void Model::layOutPanel(int panelHandle) {
    if (frontEnd_) frontEnd_->layOutPanel(panelHandle);
}

double numberOf(const Value& value) {
    if (const int* i = std::get_if<int>(&value)) return *i;
    if (const double* d = std::get_if<double>(&value)) return *d;
    char* end = nullptr;
    const std::string& text = std::get<std::string>(value);
    const double parsed = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? 0.0 : parsed;
}

std::string textOf(const Value& value) {
    if (const std::string* s = std::get_if<std::string>(&value)) return *s;
    if (const int* i = std::get_if<int>(&value)) return std::to_string(*i);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", std::get<double>(value));
    return buffer;
}

Value convertValue(const Value& value, int dataType) {
    switch (dataType) {
        case VAL_INTEGER: {
            const double n = numberOf(value);
            if (!std::isfinite(n)) return 0;
            return static_cast<int>(std::clamp(std::round(n), -2147483648.0, 2147483647.0));
        }
        case VAL_FLOAT:
            return static_cast<double>(static_cast<float>(numberOf(value)));
        case VAL_STRING:
            return textOf(value);
        default:
            return numberOf(value);
    }
}

}  // namespace trelvanix::ui
