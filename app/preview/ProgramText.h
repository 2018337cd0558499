#pragma once

#include <QString>
#include <string>
#include <string_view>

// The program text between the core (UTF-8, lines ended by CR LF) and the program field, which holds
// lines without line-end characters.
namespace kalmoro {

// UTF-8 program text as the field shows it: every CR LF, and any lone CR, becomes a plain line break.
QString ToEditorText(std::string_view program);

// The field's raw document text (QTextDocument::toRawText) as UTF-8 with CR LF line ends. Paragraph
// and line separators, LF and CR all end a line; no other character is changed.
std::string FromEditorText(const QString& raw);

}  // namespace kalmoro
