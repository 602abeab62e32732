#include "app/startup.h"

#include <string>

#include "app/display_controls.h"
#include "app/program_wiring.h"
#include "app/remote_listening.h"
#include "daq/device_init.h"
#include "platform/driver/backend_registry.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix {

int StartMainPanel() {
    WireProgram();
    panelHandle = LoadPanel(0, "trelvanix.uir", PANEL);
    if (panelHandle < 0) return -1;
    InjectHandle = LoadPanel(0, "trelvanix.uir", INJECT);
    if (InjectHandle < 0) return -1;
    for (int& handle : Handle) handle = 0;
    SetCtrlAttribute(panelHandle, PANEL_ACQ_LAMP, ATTR_ON_COLOR, VAL_GREEN);
    SetCtrlVal(panelHandle, PANEL_VERSION, 8.07);
    // The operator sees at a glance which board the run drives, and whether it is simulated.
    const std::string title = "Trelvanix - " + driver::describeBoard(kBoardDevice);
    SetPanelAttribute(panelHandle, ATTR_TITLE, title.c_str());
    startSweepInspection();
    DisplayPanel(panelHandle);
    init_vi();
    return 0;
}

int RunTrelvanix(bool listen) {
    if (StartMainPanel() < 0) return -1;
    if (listen) StartListening();
    RunUserInterface();
    return 0;
}

}  // namespace trelvanix
