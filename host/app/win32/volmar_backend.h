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
#include "host/app/core/text_codec.h"
#include "host/app/core/ui.h"
#include "host/app/win32/host_files.h"
#include "host/exports/host_backend.h"

namespace volmar {

class VolmarBackend : public HostBackend {
 public:
  VolmarBackend(const Options &options, std::u16string hostFolder, Keyboard &keyboard, Ui &ui);

  // How many error messages were shown (for the scripted mode's status).
  int errorsShown() const { return errorsShown_; }
  // Files the plug-ins hold open: a macro (and its log) while one runs.
  size_t openFiles() const { return files_.OpenCount(); }

  int32_t HostQuery(int32_t what, int32_t value) override;
  int32_t HostCheckPlugin(HostInstance instance, char *buffer, int32_t size) override;
  int32_t HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                       uint32_t style2, va_list values) override;
  int32_t HostFileFlush(HostFile file) override;
  uint32_t HostDateNumber(const char *date) override;
  int32_t HostConvertText(void *target, int32_t targetBytes, const void *source, int32_t length,
                          int32_t from, int32_t to) override;
  uint32_t HostGetFlags() override;
  char *HostFileGets(char *buffer, int32_t size, HostFile file) override;
  int32_t HostFileClose(HostFile file) override;
  int32_t HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                const HostWideChar *extension) override;
  int32_t HostDelayKey(uint32_t key, int32_t zero) override;
  KeyFilter HostSetKeyFilter(KeyFilter filter) override;
  int32_t HostFormRefreshField(int32_t fieldId) override;
  int32_t HostSetFlags(uint32_t bits, int32_t on) override;
  int32_t HostFileGetc(HostFile file) override;
  int32_t HostPrepareText(char *text, int32_t size) override;
  int32_t HostDateTimeText(char *date, char *time, int32_t flags) override;
  int32_t HostRunForm(const void *formTemplate, int32_t mode, void *record,
                      FieldCallback callback) override;
  int32_t HostTypeText(const char *text) override;
  void *HostRealloc(void *block, uint32_t size) override;
  int32_t HostShowNotice(int32_t id, int16_t *answer, int32_t zero, const char *text) override;
  int32_t HostFileSeek(HostFile file, int32_t offset, int32_t origin) override;
  int32_t HostApiLevel() override;
  uint32_t HostKeyPending() override;
  int32_t HostMessage(int32_t id, const char *title, const char *text, uint32_t style) override;
  int32_t HostWaitScreen() override;
  int32_t HostFileRewind(HostFile file) override;
  uint32_t HostConvertChar(int32_t byte, int32_t from, int32_t to) override;
  int32_t HostAsk(const char *title, const char *text, uint32_t flags) override;
  int32_t HostMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative) override;
  int32_t HostPostKey(uint32_t key) override;
  void HostFree(void *block) override;
  HostFile HostFileOpenW(const HostWideChar *path, const HostWideChar *mode, int32_t share,
                         int32_t zero, int32_t minusOne) override;
  char *HostCopyText(char *destination, const char *source, int32_t maxChars) override;
  int32_t HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                            const HostWideChar *argument, uint32_t style) override;
  int32_t HostProfile(int32_t operation, const char *section, const char *key, const char *format,
                      va_list values) override;
  int32_t HostPickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) override;
  void *HostCalloc(uint32_t count, uint32_t size) override;
  char *HostFormFieldBuffer(int32_t fieldId) override;
  int32_t HostFilePrintf(HostFile file, const char *format, va_list values) override;

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
