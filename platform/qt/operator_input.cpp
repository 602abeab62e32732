#include "platform/qt/operator_input.h"

#include <QEventLoop>

namespace trelvanix::qt {

void OperatorInput::post(const ui::Event& event) {
    ui::Model::instance().post(event);
    for (QEventLoop* loop : waits_) loop->quit();
}

void OperatorInput::postControl(int panel, int control, int type, int data1, int data2) {
    post(ui::Event{ui::Event::Target::Control, panel, control, type, data1, data2});
}

}  // namespace trelvanix::qt
