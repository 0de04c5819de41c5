#include "host/app/core/quit_question.h"

#include "host/app/core/key_codes.h"
#include "host/app/core/message_box.h"
#include "host/app/core/text_codec.h"

namespace volmar {

bool IsQuitKey(uint32_t key) { return key == kKeyF10 || key == kKeyAltX; }

std::string QuitQuestionText(const ActivitySnapshot &running) {
  const bool macro = running.filesOpen, recording = running.recording;
  if (!macro && !recording) return {};
  std::string text = macro && recording ? "Trwa odtwarzanie makra i nagrywanie klawiszy.\n"
                     : macro            ? "Trwa odtwarzanie makra.\n"
                                        : "Trwa nagrywanie klawiszy.\n";
  text += "Zakończyć pracę programu VOLMAR?\n";
  if (macro && recording)
    text += "Tak - koniec pracy: makro zostanie przerwane, a nagranie\n"
            "      zamknięte (klawisze nagrane dotąd zostaną w pliku).\n";
  else if (macro)
    text += "Tak - koniec pracy: makro zostanie przerwane.\n";
  else
    text += "Tak - koniec pracy: nagranie zostanie zamknięte\n"
            "      (klawisze nagrane dotąd zostaną w pliku).\n";
  text += "Nie (także Enter, Esc) - VOLMAR pracuje dalej.";
  return Utf8ToHostText(text);
}

bool ConfirmQuit(Ui &ui, bool typed, const ActivitySnapshot &running) {
  if (!typed) return false;
  std::string text = QuitQuestionText(running);
  if (text.empty()) return true;
  BoxSpec box;
  box.title = "VOLMAR";
  box.text = text;
  box.kind = "pytanie";
  box.buttons = {{"Tak", kAnswerYes}, {"Nie", kAnswerNo}};
  box.focus = 1;  // Enter keeps VOLMAR running
  box.escapeAnswer = kAnswerNo;
  box.typedAnswerOnly = true;
  return RunBox(ui, box) == kAnswerYes;
}

}  // namespace volmar
