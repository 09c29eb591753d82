// korDialog_FragBox: lets a LISP program ask the user for up to eight values at once.
//
// (korDialog_FragBox database table descriptions values)
//   database, table  the text table the numeric descriptions are looked up in (trimmed)
//   descriptions     one per row: a number, the Identifier of the row's label in the table,
//                    or a string, the label itself
//   values           as many as descriptions: the value of each row; reals, integers and
//                    strings are edited, each keeps its LISP type
// Answers (1 value ...) for OK with every row's value, (0) for Cancel and (-1) ... (-6) for
// the failed argument check. A failed lookup of a label answers nothing (status RSERR).
#pragma once

int FragBox();
