#include "platform/qt/operator_input.h"

#include <QEventLoop>

namespace trelvanix::qt {

void OperatorInput::post(const ui::Event& event) {
    ui::Model::instance().post(event);
    wake();
}

void OperatorInput::wake() {
    for (QEventLoop* loop : waits_) loop->quit();
}

}  // namespace trelvanix::qt
