#pragma once

// The type of a log message; type t owns bit (t - 1) of the event filter's type mask. The
// underlying type is fixed, so that a value read from a file that names no type is still a
// valid MessageType, to be refused where it is checked.
enum MessageType : int {
    mtQuery = 1,         // poll of a device
    mtShortAnswer = 2,   // one-byte answer without data
    mtLongAnswer = 3,    // answer with data
    mtLongAnswerAck = 4, // acknowledgement of an answer with data
    mtCommand = 5,       // command frame
    mtCommandAck = 6,    // acknowledgement of a command
    mtTrash = 7,         // bytes that fit no frame
};

constexpr int kMessageTypeCount = 7;
// The filter mask with every type's bit set.
constexpr int kAllMessageTypes = (1 << kMessageTypeCount) - 1;

constexpr int messageTypeBit(int type) {
    return 1 << (type - 1);
}

// The direction marker of the log: ">" what the control panel sends (polls, commands,
// acknowledgements of answers), "<" what a device sends, a blank for anything else.
constexpr const char* directionMarker(int type) {
    switch (type) {
    case mtQuery:
    case mtLongAnswerAck:
    case mtCommand:
        return ">";
    case mtShortAnswer:
    case mtLongAnswer:
    case mtCommandAck:
        return "<";
    default:
        return " ";
    }
}
