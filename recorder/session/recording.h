// Recording: the start form and its file, each key written and flushed at
// once, and the stop with its notice.  Everything runs inside the recorder's
// key filter (or the tear-down), on the host's thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "plugin/contract/host_api.h"
#include "plugin/contract/host_text.h"
#include "recorder/session/recorder_form.h"
#include "recorder/writer/key_writer.h"

// The default hot key: Ctrl+F11; the default command key: Ctrl+F12.
inline constexpr uint16_t kDefaultHotKey = 0x8900;
inline constexpr uint16_t kDefaultCommandKey = 0x8A00;
// Room for a key's name as people write it ("Alt+Backspace", "KLAWISZ_9F00").
inline constexpr size_t kKeyNameTextSize = 16;

// The names added to keys.h during a recording: how many, and the first
// kNamedKeysListed of them with their codes (the stop notice lists them,
// one a line: few enough that the notice with its #define lines for keys
// left out still fits a text screen in most recordings).
inline constexpr uint32_t kNamedKeysListed = 5;
struct NamedKeys {
  uint32_t count = 0;
  uint16_t codes[kNamedKeysListed] = {};
  char names[kNamedKeysListed][sizeof(KeyNameEntry::name)] = {};
};

struct RecorderState {
  KeyFilter previousFilter;  // the filter installed before ours
  uint16_t hotKey;           // starts and stops a recording; 0 until activation
  uint16_t commandKey;       // opens the command list while recording; 0 until activation
  char hotKeyName[kKeyNameTextSize];      // as people write it: "Ctrl+F11"
  char commandKeyName[kKeyNameTextSize];  // "Ctrl+F12"
  HostFile file;             // the recording, 0 when none
  uint32_t written;          // keys written into it
  UnnamedKeys unnamed;       // keys that could not be written
  NamedKeys named;           // names added to keys.h during the recording
  char fileName[258];        // the recording's name as the user gave it (host text)
  char folder[258];          // the folder of the last recording (settings "Folder")
};

extern RecorderState g_recorder;
extern RecorderFormRecord g_recorderForm;

// Settings section "ZapisKlawiszy": "Pytaj" (the notice was answered),
// "Folder" (of the last recording), "Klawisz" and "KlawiszPolecenia"
// (another hot key or command key, by its keys.h name).  Reads them and
// shows the one-time notice (activation); recorder_settings.cpp.
void LoadRecorderSettings();
// The settings names, shared by the settings and the recording.
inline constexpr auto kSettingsSection = ToHostText("ZapisKlawiszy");

// The hot key: the start form while nothing is recorded, else the stop.
void ToggleRecording();
// Writes one key the host goes on to process, and flushes it.  A key
// without a name is first offered a name in keys.h (key_naming.h); keys
// are named by the key table (key_table.h).
void RecordKey(uint32_t key);
// The command list: the chosen command is written into the recording.
void RecordCommand();
// Ends the recording: closes the file; with `notice`, says what was written.
void StopRecording(bool notice);

// The first free "nagranieN.txt" in `folder` (host text, may be empty: the
// host's current folder), written into `name` (258 bytes).
void OfferFileName(const char *folder, char *name);

// Forgets everything, as at load (tests).
void ResetRecorder();
