#pragma once

#include <QObject>
#include <memory>
#include <string>

class QPushButton;

namespace kalmoro {

class FieldReader;
struct FieldReading;

inline constexpr const char* kNoProgramVerdict = "Нет программы";

// The check's verdict on the program field beside the save button, at all times: "Ошибок нет", or
// "Ошибок: N" in red, for the last reading of the text; "Нет программы" for an empty field and for the
// form's start text. The button itself is the window's (Verdict); a click on it is the window's to handle.
class Verdict : public QObject {
  Q_OBJECT

 public:
  // startText: the field's text when the window opens (UTF-8, CR LF), which is no program.
  Verdict(QPushButton& button, FieldReader& reader, std::string startText);

 private:
  void Show(const FieldReading& read);

  QPushButton& m_button;
  std::string m_startText;
};

}  // namespace kalmoro
