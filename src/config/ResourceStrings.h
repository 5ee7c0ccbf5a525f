// The numbered texts shown to the user, and the one formatter that fills
// their "%s" and "%d" places.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tamsivane {

namespace Msg {
enum : int {
    NoVtKeySelected = 1010,
    VtKeyNotMappable = 1011,
    CannotSetupPrinter = 1022,
    CannotStartPrintJob = 1023,
    CannotCreateFile = 1027,
    CannotConnect = 1029,
    RestartForSettings = 1030,
    InvalidSequence = 1033,
    SelectAttribute = 1035,
    CannotOpenForSending = 1039,
    TextNotFound = 1041,
    CannotLoadScript = 1051,
    CommandLineError = 1052,
    AbortConnectingQuestion = 1053,
    DisconnectQuestion = 1054,
    SaveSettingsQuestion = 1055,
    CannotLoadTemplate = 1056,
    CannotSaveTemplate = 1057,
    PreviousVersionSetupFile = 1058,
    CannotReadSetupFile = 1059,
    CannotSaveSetupFile = 1060,
    NoTransportForHostType = 1061,
    UserGuideMissing = 1062,
    NoHost = 1063,
    BadTelnetPort = 1064,
    BadCommPort = 1065,
    BadBaudRate = 1066,
    BadPhoneNumber = 1067,
    NoProxyHost = 1068,
    NoModem = 1069,
    FaultReportUnreadable = 1070,
    NoButtonCaption = 1071,
    NoMappedKeyCharacter = 1072,
    NoSiteSelected = 1073,
    NoHostAddress = 1074,
    ConnectionNotSupported = 1075,
    CannotReadAddressBook = 1076,
    CannotSaveAddressBook = 1077,
    NoAddressBookEntry = 1078,
    BadSshPort = 1079,
    NoTemplateName = 1080,
    SelectMenuItem = 1081,
    ClipboardCopyFailed = 1082,
    ClipboardPasteFailed = 1083,
    OutOfMemory = 1084,
    AllFilesFilter = 2002,
    SendFileTitle = 3001,
    NewConnectionTitle = 4001,
    ConnectionTitle = 4002,
    CannotInitializePrinter = 4008,
    // 9000 + n - 1000 is the message of script error n (1001-1199); 9000
    // itself answers a code without one.
    ScriptErrors = 9000,
    ScriptErrorReport = 9200,
    ScriptErrorDetail = 9201,
    ScriptCallbackError = 9202,
    ScriptCallbackDetail = 9203,
    ScriptTimedOut = 9204,
    NothingRecorded = 9205,
    CommandNeedsDesktop = 9206,
    SessionNeedsDesktop = 9207,
    DivisionByZero = 9210,
    DivisionOverflow = 9211,
    StringTooLong = 9212,
    ScriptMemoryFull = 9213,
    CallsTooDeep = 9214,
    EvaluationTooDeep = 9215,
    NestingTooDeep = 9216,
    ScriptOutOfMemory = 9217,
    // Scripts the host starts.
    HostScriptRefused = 9230,
    HostScriptBusy = 9231,
    HostScriptTimeLimit = 9232,
    HostScriptQuestion = 9233,
    HostScriptsDropped = 9234,
    RepeatedMessage = 9235,
    // Where something is, when the desktop could not open it; a file not read.
    UserGuideAt = 9240,
    ReceivedFilesAt = 9241,
    FileNotRead = 9242,
    CannotSaveModemList = 9243,
    // Connections: the serial line, the modem, SSH.
    LineBadSpeed = 9300,
    LineBadDataBits = 9301,
    LineOneAndAHalfStopBits = 9302,
    LineBadStopBits = 9303,
    LineBadParity = 9304,
    LineBadFlowControl = 9305,
    LineSettingsRefused = 9306,
    LineSpeedRefused = 9307,
    Dialing = 9310,
    Ringback = 9311,
    LineBusy = 9312,
    CallConnected = 9313,
    NoModemDriver = 9314,
    ModemNotAvailable = 9315,
    BadDialingAddress = 9316,
    CallFailed = 9317,
    UnknownHostKey = 9320,
    ChangedHostKey = 9321,
    AuthenticationFailed = 9322,
    HostKeyNotStored = 9323,
    PasswordPrompt = 9324,
};
} // namespace Msg

// The text for a string number; empty for an unknown number.
std::string_view ResourceString(int id);

// The text of a string number with each "%s", "%d" or "%X" replaced by the
// next value (numbers are given as their text, in hexadecimal for "%X";
// "%04d" pads one with zeros to four places); a place without a value is
// left as it stands.
std::string FormatResource(int id, std::initializer_list<std::string_view> values);

} // namespace tamsivane
