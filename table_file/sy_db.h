#pragma once
// Reading and writing table files (.qmt).
//
// A table file is 8-bit text whose every line ends with CR LF:
//   line 1   /* Quimbly Table Format 0.9 */
//   line 2   quiTables[quiTables.length] = new Array(
//   line 3   the header line: each column name in quotes, followed by ","
//   then     one line per record: each value followed by "," (a quoted text
//            with backslash escapes, true or false, a number, or null)
//   last     the number of columns followed by ");"
// Column kinds and text lengths are not stored; the reader infers them.

#include <string>

#include "platform/dataset/client_dataset.h"

// Reads the file at path into dataset. Lines 1, 2 and the last line are never
// examined; line 3 names the columns; every line between is one record. A
// column becomes a truth-value or number column from the first record whose
// value in it is a truth value or a number, and stays a text column (of size
// 16 plus its longest text) otherwise. Numbers are read with "." as decimal
// mark whatever the locale.
//
// Result false: fewer than four lines (the dataset is untouched), or any
// failure after the lines were read (the dataset is closed, its index
// definitions cleared, its field definitions as far as they were built). A
// header line that cannot be split also shows "QMT Load Error". On success
// the dataset is closed and holds one record per record line.
// A file that cannot be opened raises EFOpenError and leaves the dataset untouched.
bool LoadTableFile(const std::string& path, TClientDataSet& dataset);

// Writes dataset to path as a table file, names and texts enclosed in quote
// (the editor passes the double quote) and escaped alike (every backslash
// doubled, then a backslash before every quote character; a name or text
// without either stands as it is), records in the order the dataset
// presents them, numbers with "." as decimal mark. The whole text is built
// first and the file replaced in one step: on false the file at path is as
// it was. False also for a column name or text holding CR or LF and for a
// number that is infinite or not a number, which the format cannot hold.
// Afterwards the dataset is open and at its end. Never raises.
bool SaveTableFile(const std::string& path, char quote, TDataSet& dataset);
