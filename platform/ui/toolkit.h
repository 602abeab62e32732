#pragma once
// The user-interface toolkit under its toolkit names: panels, controls, graphs, menus,
// pop-ups and the event loop. The program calls only these; the model behind them lives in
// model.h and knows nothing of the front end (headless or Qt) that shows it.

#include <cstddef>
#include <string>
#include <vector>

// Uniform callback signatures.
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void* callbackData, int eventData1,
                                 int eventData2);
using MenuCallbackPtr = void (*)(int menuBar, int menuItem, void* callbackData, int panel);
using DeferredCallbackPtr = void (*)(void* callbackData);

// Events delivered to callbacks.
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,  // eventData1 = y, eventData2 = x, pixels from the control's top-left
    EVENT_TIMER_TICK = 4,
    EVENT_CLOSE = 5,       // panel callbacks only
    EVENT_PANEL_SIZE = 6,  // panel callbacks only
    EVENT_MENU = 7,        // what GetUserEvent reports after running a menu callback
    EVENT_DEFERRED = 8,    // what GetUserEvent reports after running a deferred call
};

// Data types of control values and list items.
enum {
    VAL_INTEGER = 1,
    VAL_DOUBLE = 2,
    VAL_FLOAT = 3,
    VAL_STRING = 4,
};

// Attributes of controls, panels and menu items.
enum {
    ATTR_DIMMED = 1,
    ATTR_VISIBLE,
    ATTR_LABEL_TEXT,
    ATTR_TEXT_COLOR,
    ATTR_LABEL_COLOR,
    ATTR_FRAME_COLOR,
    ATTR_ON_COLOR,
    ATTR_OFF_COLOR,
    ATTR_BLINK,
    ATTR_MIN_VALUE,
    ATTR_MAX_VALUE,
    ATTR_INCR_VALUE,
    ATTR_PRECISION,
    ATTR_DATA_TYPE,
    ATTR_CONSTANT_NAME,
    ATTR_CTRL_INDEX,
    ATTR_INTERVAL,  // timer controls: seconds between ticks
    ATTR_ENABLED,   // timer controls
    ATTR_LEFT,
    ATTR_TOP,
    ATTR_WIDTH,
    ATTR_HEIGHT,
    // Graph attributes.
    ATTR_XDIVISIONS,
    ATTR_YDIVISIONS,
    ATTR_YAXIS_GAIN,  // the y labels show value * gain + offset
    ATTR_YAXIS_OFFSET,
    ATTR_XNAME,
    ATTR_YNAME,
    ATTR_YNAME_COLOR,
    ATTR_YLABEL_COLOR,
    ATTR_PLOT_AREA_TOP,
    ATTR_PLOT_AREA_LEFT,
    ATTR_PLOT_AREA_HEIGHT,
    ATTR_PLOT_AREA_WIDTH,
    ATTR_PLOT_BGCOLOR,
    ATTR_NUM_PLOTS,  // read only
    // Panel attributes.
    ATTR_TITLE,
    ATTR_SIZABLE,
    ATTR_SCALE_CONTENTS_ON_RESIZE,
    ATTR_RESOURCE_ID,  // read only: the panel's resource number
    // Menu-item attributes.
    ATTR_CHECKED,
    ATTR_ITEM_NAME,
    // Plot attributes (SetPlotAttribute).
    ATTR_PLOT_STYLE,
};

// Graph axes and scaling modes.
enum { VAL_XAXIS = 0, VAL_LEFT_YAXIS = 1 };
enum { VAL_MANUAL = 0, VAL_AUTOSCALE = 1 };
enum { VAL_IMMEDIATE_DRAW = 1, VAL_DELAYED_DRAW = 0 };
// Plot styles: a line through the points, the points alone, or both.
enum { VAL_THIN_LINE = 0, VAL_SCATTER = 1, VAL_CONNECTED_POINTS = 2 };

// File and directory pop-up results and buttons.
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
enum { VAL_NO_DIRECTORY_SELECTED = 0, VAL_DIRECTORY_SELECTED = 1 };
enum { VAL_LOAD_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2, VAL_OK_BUTTON = 3 };

// Common colours, 0xRRGGBB.
enum {
    VAL_BLACK = 0x000000,
    VAL_WHITE = 0xFFFFFF,
    VAL_RED = 0xFF0000,
    VAL_GREEN = 0x00FF00,
    VAL_BLUE = 0x0000FF,
    VAL_YELLOW = 0xFFFF00,
    VAL_GRAY = 0x808080,
    VAL_LT_GRAY = 0xCCCCCC,
};

// Statuses: 0 or positive is success.
enum {
    UIE_NoError = 0,
    UIE_BadPanelHandle = -1,
    UIE_BadControlId = -2,
    UIE_BadAttribute = -3,
    UIE_BadAttributeValue = -4,
    UIE_BadIndex = -5,
    UIE_BadMenuBar = -6,
    UIE_BadMenuItem = -7,
    UIE_ResourceLoadFailed = -8,
    UIE_BadResourceNumber = -9,
    UIE_NotSupported = -10,
    UIE_BadArgument = -11,
    UIE_PopupUnanswered = -12,
    UIE_PrintFailed = -13,
};

// The largest path the file pop-ups return into a caller's char buffer.
constexpr int MAX_PATHNAME_LEN = 1024;

// --- Panels ---
// Loads a panel from a resource file ("trelvanix.uir"); returns its handle, negative on failure.
int LoadPanel(int parentPanel, const char* resourceFile, int resourceId);
int DiscardPanel(int panel);
int DisplayPanel(int panel);
int HidePanel(int panel);
int GetPanelAttribute(int panel, int attribute, int* value);
int GetPanelAttribute(int panel, int attribute, std::string* value);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char* value);

// --- Control values ---
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char* value);  // text boxes: appends
int SetCtrlVal(int panel, int control, const std::string& value);
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, short* value);
int GetCtrlVal(int panel, int control, double* value);
int GetCtrlVal(int panel, int control, float* value);
int GetCtrlVal(int panel, int control, std::string* value);
int GetCtrlValText(int panel, int control, char* buffer, std::size_t size);
// Text into a fixed buffer, always terminated; longer text is a failure, never an overrun.
template <std::size_t N>
int GetCtrlVal(int panel, int control, char (&buffer)[N]) {
    return GetCtrlValText(panel, control, buffer, N);
}

// --- Control attributes ---
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* value);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int GetCtrlAttribute(int panel, int control, int attribute, double* value);
int GetCtrlAttribute(int panel, int control, int attribute, std::string* value);

// --- Lists and rings ---
int GetCtrlIndex(int panel, int control, int* index);  // -1 when the list is empty
int SetCtrlIndex(int panel, int control, int index);
int ClearListCtrl(int panel, int control);
// Inserts at index (-1 appends); the value has the control's data type.
int InsertListItem(int panel, int control, int index, const char* label, double value);
int InsertListItem(int panel, int control, int index, const char* label, int value);
int InsertListItem(int panel, int control, int index, const char* label, const char* value);
int GetNumListItems(int panel, int control, int* count);
int GetLabelFromIndex(int panel, int control, int index, std::string* label);
int GetValueFromIndex(int panel, int control, int index, double* value);
int GetValueFromIndex(int panel, int control, int index, int* value);

// --- Text boxes ---
int ResetTextBox(int panel, int control, const char* text);
int InsertTextBoxLine(int panel, int control, int index, const char* line);  // -1 appends
int GetTextBoxLine(int panel, int control, int index, std::string* line);
int GetNumTextBoxLines(int panel, int control, int* count);

// --- Graphs --- (plot handles are positive)
int PlotWaveform(int panel, int control, const double* y, int count, double yGain, double yOffset,
                 double initialX, double xIncrement, int color);
int PlotXY(int panel, int control, const double* x, const double* y, int count, int color);
int PlotY(int panel, int control, const double* y, int count, int color);
// Attributes of one plot (ATTR_PLOT_STYLE).
int SetPlotAttribute(int panel, int control, int plotHandle, int attribute, int value);
// plotHandle -1 deletes every plot.
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh);
int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);
int GetAxisScalingMode(int panel, int control, int axis, int* mode, double* min, double* max);
// The last mouse position over the control, in pixels from its top-left corner.
int GetRelativeMouseState(int panel, int control, int* x, int* y, int* leftDown, int* rightDown,
                          int* modifiers);

// --- Tables --- (rows and columns from 0; the value of a table as text is its headings and
// rows, one line each, cells separated by tabs)
// Sets the column headings; rows keep their cells, cut or padded to the new columns.
int SetTableColumns(int panel, int control, const std::vector<std::string>& headings);
// Inserts a row of cells (cut or padded to the columns) at index; -1 appends.
int InsertTableRow(int panel, int control, int index, const std::vector<std::string>& cells);
// Deletes count rows from index; count -1 deletes to the end.
int DeleteTableRows(int panel, int control, int index, int count);
int GetNumTableRows(int panel, int control, int* rows);
int GetTableCellVal(int panel, int control, int column, int row, std::string* text);

// --- Looking closely at a graph ---
// While inspection is on, the graph's view (the part of its axes shown) can be zoomed and
// panned and two vertical cursors moved; the axes themselves stay as the program set them.
// The graph's callback receives EVENT_VAL_CHANGED after every SetGraphInspection, and
// whenever the view, the cursors or the plots change while inspection is on (several
// changes before it is dispatched make one event). Turning inspection off shows the axes
// again. Cursors start at a quarter and three quarters of the x axis.
int SetGraphInspection(int panel, int control, int on);
int GetGraphInspection(int panel, int control, int* on);
// Shows [x0, x1] x [y0, y1], clipped to the axes; fails unless inspection is on.
int SetGraphView(int panel, int control, double x0, double x1, double y0, double y1);
int ResetGraphView(int panel, int control);
// The part shown: the view while zoomed, else the axes.
int GetGraphView(int panel, int control, double* x0, double* x1, double* y0, double* y1);
// Cursor 1 or 2 at x, clipped to the x axis; fails unless inspection is on.
int SetGraphCursor(int panel, int control, int cursor, double x);
int GetGraphCursor(int panel, int control, int cursor, double* x);
// The sample nearest x of every waveform plot whose samples span x, in drawing order.
int GetGraphValuesAt(int panel, int control, double x, std::vector<double>* values);

// --- Menus ---
int GetPanelMenuBar(int panel);
// ATTR_CHECKED, ATTR_DIMMED and ATTR_VISIBLE as numbers; ATTR_ITEM_NAME (the label) as text.
int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, int value);
int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, const char* value);
int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, int* value);
int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, std::string* value);

// --- Events ---
// Runs the event loop until QuitUserInterface.
int RunUserInterface();
int QuitUserInterface(int returnCode);
// waitMode 0: dispatches at most one pending event and returns at once; any other waitMode
// waits for one. Returns the event dispatched (EVENT_NONE when none).
int GetUserEvent(int waitMode, int* panel, int* control);
// Dispatches at most one event, waiting for one no later than `deadline` (Timer() seconds).
int GetUserEventUntil(double deadline, int* panel, int* control);
// Runs all events pending now (for tests and redraws).
int ProcessSystemEvents();
// Queues a call of function(callbackData) as an event: it runs when the event loop dispatches
// it, after what the caller is doing now (between two stretches of acquisition, say).
int PostDeferredCall(DeferredCallbackPtr function, void* callbackData);

// --- Pop-ups ---
int MessagePopup(const char* title, const char* message);
int ConfirmPopup(const char* title, const char* message);  // 1 yes, 0 no
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, std::string* pathName);
int FileSelectPopupText(const char* defaultDirectory, const char* defaultFileSpec,
                        const char* fileTypeList, const char* title, int buttonLabel,
                        int restrictDirectory, int restrictExtension, int allowCancel,
                        int allowMakeDirectory, char* pathName, std::size_t size);
template <std::size_t N>
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char (&pathName)[N]) {
    return FileSelectPopupText(defaultDirectory, defaultFileSpec, fileTypeList, title, buttonLabel,
                               restrictDirectory, restrictExtension, allowCancel,
                               allowMakeDirectory, pathName, N);
}
int DirSelectPopup(const char* defaultDirectory, const char* title, int allowCancel,
                   int allowMakeDirectory, std::string* pathName);
int DirSelectPopupText(const char* defaultDirectory, const char* title, int allowCancel,
                       int allowMakeDirectory, char* pathName, std::size_t size);
template <std::size_t N>
int DirSelectPopup(const char* defaultDirectory, const char* title, int allowCancel,
                   int allowMakeDirectory, char (&pathName)[N]) {
    return DirSelectPopupText(defaultDirectory, title, allowCancel, allowMakeDirectory, pathName,
                              N);
}

// --- Clipboard ---
int ClipboardPutText(const char* text);
// The text the program put on the clipboard last.
int ClipboardGetText(std::string* text);

// --- Printing ---
enum { VAL_FULL_PANEL = 1, VAL_VISIBLE_AREA = 0 };
enum { ATTR_PRINT_ORIENTATION = 100, ATTR_PRINT_SCALE_MODE };  // SetPrintAttributeEx
int PrintPanel(int panel, const char* fileName, int scaleToPage, int area, int includeFrame);
int SetPrintAttributeEx(int attribute, int value);

// --- Diagnostics ---
// A line to the program's error output (standard error).
#if defined(__GNUC__)
void ErrorPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
#else
void ErrorPrintf(const char* format, ...);
#endif
