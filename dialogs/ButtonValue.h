// korDialog_ButtonValue: asks the user for one value, with a second way out that returns a
// fixed back value instead.
//
// (korDialog_ButtonValue database table header button default back)
//   database, table  text (or a list joined into one): where header and button identifiers
//                    are looked up; required even when both are given as texts
//   header           string: the label; number >= 1: the Identifier of the label's text
//   button           string: the back-value button's caption; number >= 1: its Identifier
//   default          number: shown with two decimals, and OK answers a real;
//                    string: shown as it is, and OK answers the edited string
//   back             text: answered when the back-value button is clicked
// Answers (1 value) for OK, (2 "back") for the back-value button, (0) for Cancel, and
// (-1) ... (-7) for the failed argument check or text lookup.
#pragma once

int ButtonValue();
