// How long a text transfer waits after each character, in ticks of 1 ms.
//
// The KC takes a listing through its keyboard over V.24, which holds one key
// and no more: a key that arrives while CAOS scrolls the screen or BASIC
// stores a line overwrites the one before or is lost, and nothing tells the
// sender. So the pauses where the KC is busy are long: after a carriage
// return (BASIC stores the line, the screen moves up a row) and at a line's
// 40th character (the cursor wraps to a new row of the 40-column screen,
// which may scroll too). The line end counts as the next line's first
// character, so the long pause by count follows a line's 39th character.
//
// Storing a line takes longer the longer the program already is, as BASIC
// moves the lines behind it and links them all anew; the pause after a line
// end therefore grows with the characters typed so far.
#pragma once

namespace morvale {

struct TextPacing {
    int afterCharacter = 6;  // after any other character
    int atLineMark = 450;    // after a line's 40th character
    int afterLineEnd = 600;  // after a carriage return, for an empty program
    // Ticks the pause after a line end grows by per 1000 characters typed so
    // far in this transfer.
    int lineEndGrowthPerKilo = 35;
    int lineMark = 40;

    friend bool operator==(const TextPacing&, const TextPacing&) = default;
};

// The pauses the sender used before it was measured against the firmware:
// 50 ticks at a line end and at the mark. A KC with a short program and a
// screen that does not scroll keeps up with them.
inline constexpr TextPacing kShortPacing{6, 50, 50, 0, 40};

}  // namespace morvale
