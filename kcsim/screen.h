// The KC's screen as kcsim shows it in a UTF-8 terminal.
//
// What arrives as keystrokes is drawn as the KC would take it: printable
// characters as text (Latin-1, so 0xC4 is Ä), a carriage return as a new
// line, the codes of the KC's special keys by name in brackets ([F1] to
// [F6], [BRK], [STOP], [INS], [DEL], [CLR], [HOME]) and any other control
// byte as two hex digits in angle brackets (<0A>). 0x13 is the STOP key
// here: the sender's bytes are data; only the KC's own XOFF, which goes the
// other way, is flow control.
#pragma once

#include <cstdint>
#include <string>

namespace kcsim {

// Appends a byte as the screen shows one that is no key: printable Latin-1
// as UTF-8, any control byte as <0A>.
void appendShown(std::uint8_t byte, std::string& out);

class Screen {
  public:
    // Appends the picture of one keystroke to out.
    void draw(std::uint8_t byte, std::string& out);
    // Appends a line end unless the cursor is at the start of a line.
    void endLine(std::string& out);
    bool atLineStart() const { return atLineStart_; }

  private:
    bool atLineStart_ = true;
};

}  // namespace kcsim
