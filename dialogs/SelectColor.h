// korDialog_SelectColor: lets the user choose a colour.
//
// (korDialog_SelectColor headline)
//   headline  string: the dialog's title (at most 255 characters are taken)
// Answers (1 colour) for OK, the colour as an integer red + 256 * green + 65536 * blue (a
// Windows COLORREF), (0) for Cancel, and (-1) when the headline is no string.
#pragma once

int SelectColor();
