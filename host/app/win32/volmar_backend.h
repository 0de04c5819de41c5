// The stand-in host's answers to its plug-ins: every host function with
// real behaviour, over the editor, the key loop, the message boxes, the
// form engine, the settings file and the C runtime's files and memory.
#pragma once

#include <string>
#include <vector>

#include "host/app/core/editor.h"
#include "host/app/core/form_engine.h"
#include "host/app/core/ini_store.h"
#include "host/app/core/keyboard.h"
#include "host/app/core/options.h"
#include "host/app/core/plugin_activity.h"
#include "host/app/core/text_codec.h"
#include "host/app/core/ui.h"
#include "host/app/win32/host_files.h"
#include "host/exports/host_backend.h"

namespace volmar {

class VolmarBackend : public HostBackend {
 public:
  VolmarBackend(const Options &options, std::u16string hostFolder, Keyboard &keyboard, Ui &ui);

  // Keys and text the plug-ins handed over, for the status line.
  PluginActivity activity;

  // How many error messages were shown (for the scripted mode's status).
  int errorsShown() const { return errorsShown_; }
  // Files the plug-ins hold open: a macro (and its log) while one runs.
  size_t openFiles() const { return files_.OpenCount(); }
  // Of those, the files held open for writing: a recording.
  size_t writingFiles() const { return files_.WritingCount(); }

  // Every host function (host_backend.h).
  HOST_BACKEND_OVERRIDES

  // The C runtime's build date of this host, the default for HostDateNumber(null).
  static const char *const kOwnBuildDate;

 private:
  int32_t ShowMessage(const char *title, const std::string &text, uint32_t style);
  bool SaveSettings(const IniStore &store);

  const Options &options_;
  std::u16string hostFolder_;
  std::u16string iniPath_;
  std::string buildDate_;
  Keyboard &keyboard_;
  Ui &ui_;
  IniStore settings_;
  HostFiles files_;
  MacroByteDecoder macroDecoder_;
  std::vector<FormRun *> forms_;  // running forms, innermost last
  uint32_t flags_ = 0;
  int errorsShown_ = 0;
};

}  // namespace volmar
