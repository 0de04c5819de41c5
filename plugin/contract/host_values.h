// The values of the contract between the host and its plug-ins: key codes,
// answers, styles, ids, flags, modes and text encodings.  One home for each
// of them, used by the plug-in, the stand-in host, the tools and the tests.
// Nothing here depends on anything else of the plug-in.
#pragma once

#include <stdint.h>

namespace host {

// ---- Key codes --------------------------------------------------------------
// A key is a 16-bit PC BIOS keyboard code: scan code in the high byte,
// character code in the low byte.  Keys handed to the host are 32-bit values
// whose low 16 bits are the code.
inline constexpr uint32_t kKeyCodeMask = 0xFFFF;
inline constexpr uint32_t kNoKey = 0xFFFF;       // the filter's "no key", both ways
inline constexpr uint32_t kKeyEnter = 13;
inline constexpr uint32_t kKeyF3 = 0x3D00;       // the start form's file button
inline constexpr uint32_t kKeyF12 = 0x8600;      // confirms a form
inline constexpr uint32_t kKeyShiftF11 = 0x8700; // starts and stops a macro
inline constexpr uint32_t kKeyAltP = 0x1900;     // the start form's file label
inline constexpr uint32_t kKeyLetterK = 'K';     // the start form's delay label

// ---- The host's state word (HostGetFlags / HostSetFlags) --------------------
// Set by the player while it works inside a filter call.
inline constexpr uint32_t kFlagPluginWorking = 0x8000;

// ---- HostConvertChar(byte, kConvertCharMode, kConvertCharOne) ----------------
// The arguments with which a macro byte becomes a typed character.
inline constexpr int32_t kConvertCharMode = 3;
inline constexpr int32_t kConvertCharOne = 1;

// ---- HostConvertText encodings ----------------------------------------------
inline constexpr int32_t kEncodingHostText = 1;  // 8-bit Mazovia
inline constexpr int32_t kEncodingWide = 5;      // UTF-16, for paths
inline constexpr int32_t kEncodingLog = 6;       // the macro log's encoding

// ---- HostAsk ----------------------------------------------------------------
inline constexpr uint32_t kAskNotice = 1;            // one button
inline constexpr uint32_t kAskWaitNotice = 0x200;    // the WAITENTER notice
inline constexpr uint32_t kAskYesNo = 0x26006;       // the stop question
inline constexpr uint32_t kAnswerYes = 0x5009;       // low 16 bits of "yes"

inline constexpr uint32_t kAnswerOk = 0x5001;        // low 16 bits of "OK"

// ---- Messages -----------------------------------------------------------------
inline constexpr int32_t kMessageId = 15000;          // HostMessage / HostMessageF id
inline constexpr uint32_t kErrorStyle = 0xE001;       // HostMessage, HostErrorMessageF
inline constexpr uint32_t kReportStyle = 0xF001;      // HostMessageF, the load-failure report
inline constexpr uint32_t kReportStyle2 = 0x6E2E;
inline constexpr int32_t kFirstRunNoticeId = 1194;    // HostShowNotice

// ---- Files ------------------------------------------------------------------
inline constexpr int32_t kOpenShare = 0x40;  // HostFileOpenW's share argument
inline constexpr int32_t kSeekSet = 0;       // HostFileSeek origins, as the C runtime's
inline constexpr int32_t kSeekCur = 1;
inline constexpr int32_t kSeekEnd = 2;
inline constexpr int32_t kPathChars = 260;   // wide path buffers

// ---- HostDateTimeText flags -------------------------------------------------
inline constexpr int32_t kDateAndTime = 0x30;

// ---- The start form (HostRunForm, HostPickFile, the field callback) ---------
inline constexpr int32_t kFormModeEdit = 1;         // HostRunForm: edit the record
inline constexpr uint32_t kFormConfirmed = kAnswerOk; // HostRunForm: closed with F12 / OK
// The ids of the form's elements; the OK button's id is the result it closes with.
inline constexpr uint32_t kFileButton = kKeyF3;     // the file button's id, also its key
inline constexpr int32_t kFileLabel = 0x4102;
inline constexpr int32_t kFileNameField = 0x4101;   // the file-name field's id
inline constexpr int32_t kDelayLabel = 0x4103;
inline constexpr int32_t kDelayField = 0x4104;
inline constexpr uint32_t kOkButton = kFormConfirmed;
inline constexpr uint32_t kFieldEventPressed = 1;   // FieldCallback: a button pressed
inline constexpr int32_t kPickFileKind = 0x39;      // HostPickFile: pick a file
inline constexpr int32_t kPickFileOne = 1;          // HostPickFile's last argument
inline constexpr int32_t kCallbackHandled = -2;     // FieldCallback results
inline constexpr int32_t kCallbackNotHandled = 0;

// ---- HostProfile operations -------------------------------------------------
inline constexpr int32_t kProfileReadNumber = 1;   // "%d" into a 16-bit number
inline constexpr int32_t kProfileWriteNumber = 2;
inline constexpr int32_t kProfileReadText = 8;     // "%*s", width then address
inline constexpr int32_t kProfileWrite = 9;

// ---- Handshake ----------------------------------------------------------------
inline constexpr int32_t kRequiredApiLevel = 112;       // HostApiLevel
inline constexpr uint32_t kUnreadableDate = 0x7FFFFFFF; // HostDateNumber: no date
inline constexpr int32_t kHostQueryOrdinal = 30006;     // the host's HostQuery export

}  // namespace host
