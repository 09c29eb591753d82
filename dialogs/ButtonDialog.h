// korDialog_ButtonDialog: lets a LISP program offer a choice of up to twelve buttons.
//
// (korDialog_ButtonDialog default header captions values)
//   default   number: 0-based index of the button that gets the focus
//   header    list whose first element, a string, is the window title
//   captions  list of strings, one per button
//   values    list of strings, the return text of the button at the same position
// Answers (1 "value") for a click, (0) for Cancel, (-9) when the dialog ended otherwise, and
// (-1) ... (-8) for the failed argument check.
#pragma once

int ButtonDialog();
