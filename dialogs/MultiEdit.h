// korDialog_MultiEditDialog: lets a LISP program ask the user for up to eight reals at once,
// each of which the user may also measure in the drawing as a distance.
//
// (korDialog_MultiEditDialog database table identifiers values)
//   database, table  the text table the numeric identifiers are looked up in (trimmed)
//   identifiers      one per row: a number, the Identifier of the row's label in the table,
//                    or a string, the label itself
//   values           as many as identifiers: the start value of each row, taken as a real
// A row's pick button closes the window and asks "<label> abgreifen :" for a distance; the
// window then opens again with the distance in that row (Escape or an empty answer leave the
// row as it was). Answers (1 value ...) for OK with every row's value as a real, (0) for
// Cancel and (-1) ... (-6) for the failed argument check. A failed lookup of a label, or a
// window that cannot be opened, answers nothing (status RSERR).
#pragma once

int MultiEdit();
