// The program's own window messages, menu commands and timers: the one place
// their numbers are defined.
#pragma once

// Program messages to the main window, WM_USER + 1700 to WM_USER + 1716.
// Every one carries wParam 0 and lParam 0 except UM_LINE_RECEIVED.
enum ProgramMessage : unsigned {
    UM_TOGGLE_LINK = 2724,
    UM_COLD_START = 2725,
    UM_LINE_RECEIVED = 2726,  // wParam: the reader's line, valid during the send
    // 2727 is not used.
    UM_POWER_SAVE_ON = 2728,
    UM_POWER_SAVE_OFF = 2729,
    UM_SBAS_ON = 2730,
    UM_SBAS_OFF = 2731,
    UM_VTG_ON = 2732,
    UM_VTG_OFF = 2733,
    UM_QUERY_VERSION = 2734,
    UM_LOG_START = 2735,
    UM_LOG_STOP = 2736,
    UM_SEND_USER_SENTENCE = 2737,
    UM_AUTO_SEND_START = 2738,
    UM_AUTO_SEND_STOP = 2739,
    UM_FACTORY_RESET = 2740,
};

// UM_TOGGLE_LINK's answer when nothing was opened and the reason is already
// told (in the console or the address dialog) or the user cancelled; 0 is
// "nothing opened" for the panel's "ComPort ERROR!!", 1 a link opened or closed.
constexpr long kToggleAnswered = 2;

constexpr unsigned kFirstProgramMessage = UM_TOGGLE_LINK;
constexpr unsigned kLastProgramMessage = UM_FACTORY_RESET;

// What the reader posts to the main window, apart from the panel's messages.
enum LinkMessage : unsigned {
    UM_PORT_LOST = 2760,  // wParam: the number of the link whose port stopped answering
};

// Menu and accelerator commands.
enum MenuCommand : unsigned {
    IDM_ABOUT = 40001,
    IDM_EXIT = 40002,
    IDM_SET_TIME = 40004,
    IDM_ADVANCED_CONTROLS = 40005,  // View > Advanced Controls: shows or hides them
    IDM_RECORD_RAW = 40006,         // File > Record Raw...
    IDM_RECORD_STOP = 40007,        // File > Stop Recording
    IDM_TTFF_TEST = 40008,
    IDM_POSITION_STATS = 40009,  // Receiver > Position Statistics...
};

// Timers of the main window (no timer procedure: they arrive as WM_TIMER).
enum MainTimer : unsigned {
    TIMER_DEVICE_SETTLE = 4096,
    TIMER_AUTO_SEND = 4098,
    TIMER_STARTUP = 4099,
    TIMER_TTFF = 4100,        // steps a running TTFF series
    TIMER_PORT_RETRY = 4101,  // tries to open a lost port again
    TIMER_POSITION = 4102,    // refreshes the Position Statistics window
};
