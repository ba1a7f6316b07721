// Conversions between the Latin-1 byte texts the window program works with
// and the Unicode strings of the widgets.
//
// A program text ends at its first zero byte. Widget text that Latin-1 cannot
// hold becomes '?', so nothing outside Latin-1 ever reaches the serial line.
// The editor's lines are separated by CR LF towards the program, as the
// program has always read them; any of CR LF, CR or LF is taken on the way in.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace morvale::ui {

// The bytes up to the first zero byte, each as the character of that code.
QString fromLatin1(std::string_view latin1);
// Each character as its Latin-1 byte; characters above U+00FF become '?'.
std::string toLatin1(const QString& text);
// A notice or port description: as fromLatin1, with 0x96 as the dash (U+2013)
// it stands for, as in the Windows code page.
QString noticeFromLatin1(std::string_view latin1);

// An editor text from CR LF, CR or LF separated lines.
QString editorTextFromLatin1(std::string_view latin1);
// The editor's paragraphs and line breaks as CR LF, the rest as toLatin1.
std::string editorTextToLatin1(const QString& text);

}  // namespace morvale::ui
