#pragma once
// The table side of Save and Save As: writing the shown table to its file.

#include <string>

class TClientDataSet;

// Writes table to path as a table file with the double quote around names
// and texts, in the order the table is shown. Controls fed by the table do not
// follow the writer's walk over the records; they catch up once afterwards.
// True when the file was written; the table is then open again, where the
// writer left it. False leaves the file at path as it was.
bool WriteTableFile(const std::string& path, TClientDataSet& table);
